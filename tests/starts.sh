#!/usr/bin/env bash
# Whether the program starts at all, and holds a dialogue: the tests that
# run it need this one, so a program that cannot start fails at once here.
. "$(dirname "$0")/lib.sh"

feed '3 Seobe\n'
check 'the program starts, and answers' 0 "${prompt}Seobe\n" ''
[ "$status" = 0 ] || echo "it said: $(head -c 500 "$tmp/err")"
finish
