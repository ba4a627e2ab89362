# Input that cannot be read: no answer line, one line on standard error and
# status 1, where an empty answer would pass the failure off as end of input.
. "$(dirname "$0")/lib.sh"

# Wine's C runtime has no "Is a directory" and no closed standard input.
eisdir=$(stated '*/Windows' 'Invalid argument' '*' 'Is a directory')
ebadf=$(stated '*/Windows' 'Invalid argument' '*' 'Bad file descriptor')

"${prog[@]}" <"$tmp" >"$tmp/out" 2>"$tmp/err"; status=$?
check 'standard input is a directory' 1 "$prompt" "knjiga: read error: $eisdir\n"

"${prog[@]}" <&- >"$tmp/out" 2>"$tmp/err"; status=$?
check 'closed standard input' 1 "$prompt" "knjiga: read error: $ebadf\n"

finish
