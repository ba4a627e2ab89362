#!/usr/bin/env bash
# Output that cannot be written: the program says so on standard error and
# exits with status 1, instead of reporting success for an answer nobody got.
. "$(dirname "$0")/lib.sh"

printf '3 Prokleta avlija\n' >"$tmp/in"
: >"$tmp/out"
# run [SETUP [COMMAND...]]: runs the program on $tmp/in after the shell
# commands SETUP, through COMMAND if given; the caller redirects its standard
# output.
run() { (eval "${1:-}"; exec "${@:2}" "${prog[@]}") <"$tmp/in" 2>"$tmp/err"; status=$?; }

# A full device is the documents test's, as the manual page tells it.
if [ -w /dev/full ]; then
  # Where the prompt's write is not flushed at once, nothing fails before
  # the end, and the last call that set errno tells another reason.
  printf '3 Prokleta avlija' >"$tmp/in"
  run >/dev/full
  check 'full device, input without a line end' 1 '' 'knjiga: write error: No space left on device\n'
  printf '3 Prokleta avlija\n' >"$tmp/in"
else
  skip_case "full device: there is no /dev/full"
fi

# Standard output line-buffered, as C's stdout is at a terminal: the line end
# is then written within the write of the line, whose failure a stream that
# writes through stdout may not report. And standard error fully buffered:
# the one line must still come out. (A terminal that hangs up is the hang-up
# test's.)
if [ ${#prog[@]} -gt 1 ]; then
  skip_case "stdbuf: its library would be loaded into the emulator, not the program"
elif ! command -v stdbuf >/dev/null || [ ! -w /dev/full ]; then
  skip_case "stdbuf: no stdbuf or no /dev/full"
else
  # stdbuf's library is loaded before a sanitizer's runtime, which then
  # would refuse to start.
  run 'export ASAN_OPTIONS=verify_asan_link_order=0' stdbuf -oL >/dev/full
  check 'full device, line-buffered' 1 '' 'knjiga: write error: No space left on device\n'
  run 'export ASAN_OPTIONS=verify_asan_link_order=0' stdbuf -e4096 >/dev/full
  check 'full device, standard error buffered' 1 '' 'knjiga: write error: No space left on device\n'
fi

run >&-
check 'closed standard output' 1 '' 'knjiga: write error: Bad file descriptor\n'

# A file system that reports a failed write only when the file is closed
# (NFS, quotas, FUSE): strace fails the close of the output file, once.
if windows; then
  skip_case "error at close: strace does not reach a Windows program's close"
elif ! command -v strace >/dev/null; then
  skip_case "error at close: no strace"
else
  faulty close "$tmp/out" error=EDQUOT
  # shellcheck disable=SC2094 # strace only names the file
  run 'export ASAN_OPTIONS=detect_leaks=0' "${faulty[@]}" >"$tmp/out"
  check 'output file fails at close' 1 "${prompt}Prokleta avlija\n" \
    'knjiga: write error: Disk quota exceeded\n'
  injected 'output file fails at close'
  : >"$tmp/out"
fi

# A pipe whose reader is already gone: its only read end is closed before
# the program starts, so the first write fails every time.
mkfifo "$tmp/pipe"
# shellcheck disable=SC2094 # one end opened, then the other, then one closed
exec 3<>"$tmp/pipe" 4>"$tmp/pipe" 3<&-
# Wine's C runtime reports both this and the file size limit as EINVAL.
epipe=$(stated '*/Windows' 'Invalid argument' '*' 'Broken pipe')
efbig=$(stated '*/Windows' 'Invalid argument' '*' 'File too large')
run "trap '' PIPE" >&4
check 'reader gone, SIGPIPE ignored' 1 '' "knjiga: write error: $epipe\n"
if windows; then
  skip_case "SIGPIPE at its default: Windows has no SIGPIPE"
elif [ -z "$(trap -p PIPE)" ]; then
  run >&4
  check 'reader gone, SIGPIPE kills quietly' $((128 + 13)) '' ''
else
  skip_case "SIGPIPE at its default: this shell was started with it ignored"
fi
exec 4>&-

# The prompt fits under a file size limit of 1024 bytes and the answer does
# not, so the failure comes at the second line; what fits of it is written
# (one byte less where the prompt ends with CR LF).
# The input is still left for the next reader, past the title.
# Under wine, a server started under the limit could not write its files:
# one is started first (ctest's is up already), and stays a minute.
printf '3 %01000d\nrest\n' 0 >"$tmp/in"
! windows || "$(command -v wineserver || echo /usr/lib/wine/wineserver)" -p60 >/dev/null 2>&1
{ (ulimit -f 1; trap '' XFSZ; exec "${prog[@]}") >"$tmp/out" 2>"$tmp/err"; status=$?
  cat >"$tmp/rest"; } <"$tmp/in"
fits=$(stated '*/Windows' 986 '*' 987)
check 'answer beyond the file size limit' 1 "$prompt%0${fits}d" "knjiga: write error: $efbig\n"
left 'answer beyond the file size limit' 'rest\n'

finish
