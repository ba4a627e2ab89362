#!/usr/bin/env bash
# The dialogues again, with the stdio of the BSDs and macOS where it differs
# from glibc's: bsd-stdio.cpp, preloaded, makes glibc's fflush do nothing to
# a stream open only for reading, and its exit leave the offset alone. So
# input left in a file for the next reader is shown to need no more than
# what POSIX promises of every C library.
#   bash tests/bsd-stdio.sh LIBRARY PROGRAM
[ $# -ge 2 ] || { echo "usage: $0 LIBRARY PROGRAM" >&2; exit 99; }
library=$1
shift
# The library must be in the program, or the dialogues below prove nothing.
said=$(printf '1 x\n' | KNJIGA_BSD_STDIO_SAY=1 LD_PRELOAD=$library "$@" 2>&1 >/dev/null)
[ "$said" = 'bsd-stdio: loaded' ] ||
  { echo "FAIL: the library was not loaded into the program: $said"; exit 1; }
echo "ok: the library is loaded into the program"
exec bash "$(dirname "$0")/dialogue.sh" env "LD_PRELOAD=$library" "$@"
