# Input that cannot be read: no answer line, one line on standard error and
# status 1, where an empty answer would pass the failure off as end of input.
. "$(dirname "$0")/lib.sh"

"$prog" <"$tmp" >"$tmp/out" 2>"$tmp/err"; status=$?
check 'standard input is a directory' 1 "$prompt" 'knjiga: read error: Is a directory\n'

"$prog" <&- >"$tmp/out" 2>"$tmp/err"; status=$?
check 'closed standard input' 1 "$prompt" 'knjiga: read error: Bad file descriptor\n'

finish
