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
  # shellcheck disable=SC2094 # strace only names the FIFO
  ASAN_OPTIONS=detect_leaks=0 timeout -k 5 60 strace -o /dev/null -qq -P "$tmp/fifo" \
    -e trace=read -e inject=read:error=EISDIR:when=2 "${prog[@]}" \
    <"$tmp/fifo" >"$tmp/out" 2>"$tmp/err"
  status=$?
  exec 5>&-
  check 'read fails after a number out of range' 1 "$prompt" \
    "knjiga: read error: $(stated 'libstdc++*' 'Is a directory' '*' 'Input/output error')\n"
fi

# A file on standard input that cannot be left where the dialogue stopped
# (strace fails the seeks in it, each time, or only the first or the
# second): the next reader would lose input or read it twice. That is a
# read error, reported before the answer, as any read error is.
if windows; then
  skip_case "offset not given back: strace does not reach a Windows program's seek"
elif ! command -v strace >/dev/null; then
  skip_case "offset not given back: no strace"
else
  printf '3 Seobe\nnext\n' >"$tmp/in"
  for fault in 'EIO Input/output error' 'ESPIPE Illegal seek' \
               'EOVERFLOW Value too large for defined data type' \
               'EIO:when=1 Input/output error' 'EIO:when=2 Input/output error'; do
    # shellcheck disable=SC2094 # strace only names the file
    ASAN_OPTIONS=detect_leaks=0 timeout -k 5 60 strace -o /dev/null -qq -P "$tmp/in" \
      -e trace=lseek -e "inject=lseek:error=${fault%% *}" "${prog[@]}" \
      <"$tmp/in" >"$tmp/out" 2>"$tmp/err"
    status=$?
    check "offset not given back: lseek fails with ${fault%% *}" 1 "$prompt" \
      "knjiga: read error: ${fault#* }\n"
  done
fi

finish
