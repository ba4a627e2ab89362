#!/usr/bin/env bash
# Nothing reaches standard output after the program closes it: the C
# standard leaves any use of a closed stream undefined. closed-stdout.cpp,
# preloaded, reports each stdio call on the closed stdout; the runtime's
# flush at exit is where one would come from.
#   bash tests/closed-stdout.sh LIBRARY PROGRAM
[ $# -ge 2 ] || { echo "usage: $0 LIBRARY PROGRAM" >&2; exit 99; }
library=$1
shift
. "$(dirname "$0")/lib.sh"
export ASAN_OPTIONS=verify_asan_link_order=0
# The library says when stdout is closed: without that line, it was not
# loaded or saw no close, and the case proves nothing.
said='closed-stdout: stdout closed\n'

printf '3 Seobe\n' | LD_PRELOAD=$library "${prog[@]}" >"$tmp/out" 2>"$tmp/err"
status=$?
check 'answer to a file, input from a pipe' 0 "${prompt}Seobe\n" "$said"

printf '7 Dervis\n' >"$tmp/in"
LD_PRELOAD=$library "${prog[@]}" <"$tmp/in" 2>"$tmp/err" | cat >"$tmp/out"
status=${PIPESTATUS[0]}
check 'complaint to a pipe, input from a file' 0 "${prompt}$too_large\n" "$said"

finish
