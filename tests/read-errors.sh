#!/usr/bin/env bash
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

# A read that fails after a number too large for a double: converting the
# number sets ERANGE, and the read's own reason is lost with libraries that
# read std::cin through stdin. The program must not read again to learn it,
# which would wait for input that may never come: the second read from the
# FIFO fails (strace makes it), and the writer keeps the FIFO open.
if windows; then
  skip_case "read fails after a number: strace does not reach a Windows program's read"
elif ! command -v strace >/dev/null; then
  skip_case "read fails after a number: no strace"
else
  mkfifo "$tmp/fifo"
  exec 5<>"$tmp/fifo"
  printf 1e999 >&5
  faulty read "$tmp/fifo" error=EISDIR:when=2
  ASAN_OPTIONS=detect_leaks=0 "${faulty[@]}" "${prog[@]}" <"$tmp/fifo" >"$tmp/out" 2>"$tmp/err"
  status=$?
  exec 5>&-
  name='read fails after a number out of range'
  check "$name" 1 "$prompt" \
    "knjiga: read error: $(stated 'libstdc++*' 'Is a directory' '*' 'Input/output error')\n"
  injected "$name"
fi

# A file on standard input that cannot be left where the dialogue stopped
# (strace fails every seek, or only the Nth): the next reader would lose
# input or read it twice. That is a read error, reported before the answer,
# as any read error is. libstdc++ seeks its own buffer twice; a stdio-backed
# std::cin makes three seeks: the flush's, ftello's and the program's.
# The file is then left past all that was read (strace counts it), but with
# libc++ where the dialogue stopped, once the flush's seek put it there.
if windows; then
  skip_case "offset not given back: strace does not reach a Windows program's seek"
elif ! command -v strace >/dev/null; then
  skip_case "offset not given back: no strace"
else
  { printf '3 Seobe\nnext\n'; seq 5000; } >"$tmp/in"
  stopped=$(printf '3 Seobe\n' | wc -c) # where the dialogue stopped
  faults=('EIO Input/output error' 'ESPIPE Illegal seek'
          'EOVERFLOW Value too large for defined data type')
  for n in $(seq "$(stated 'libstdc++*' 2 '*' 3)"); do
    faults+=("EIO:when=$n Input/output error" "ESPIPE:when=$n Illegal seek")
  done
  for fault in "${faults[@]}"; do
    faulty lseek "$tmp/in" "error=${fault%% *}" read
    { ASAN_OPTIONS=detect_leaks=0 "${faulty[@]}" "${prog[@]}" >"$tmp/out" 2>"$tmp/err"
      status=$?; cat >"$tmp/rest"; } <"$tmp/in"
    name="offset not given back: lseek fails with ${fault%% *}"
    check "$name" 1 "$prompt" "knjiga: read error: ${fault#* }\n"
    injected "$name"
    taken=$(awk '/^read\(0, / { n += $NF } END { print n + 0 }' "$tmp/strace")
    case $toolchain/$fault in
    libc++*/*when=[23]*) where='where the dialogue stopped' from=$((stopped + 1)) ;;
    *) where="past the $taken bytes read" from=$((taken + 1)) ;;
    esac
    cmp -s "$tmp/rest" <(tail -c +"$from" "$tmp/in") ||
      { failures=$((failures + 1)); echo "FAIL: $name: the file is not left $where"; }
  done
fi

finish
