#!/usr/bin/env bash
# Helpers for the test scripts, which drive the built program black-box:
# sourced with the command that runs the program as the script's arguments
# (its path, behind an emulator such as wine for a cross build).
[ $# -gt 0 ] || { echo "usage: $0 [EMULATOR...] PROGRAM" >&2; exit 99; }
prog=("$@")
# A program named alone runs as its build tree says: behind the emulator
# that its "emulator" file names, one argument a line (none: natively).
if [ $# = 1 ] && [ -s "$(dirname "$1")/emulator" ]; then
  mapfile -t prog <"$(dirname "$1")/emulator"
  prog+=("$1")
fi
export WINEDEBUG=${WINEDEBUG:--all}
# Which standard library and system the program was built for, as
# "library/system" (libc++/Linux, say), and how many bits its addresses
# have: the few answers that differ by them are stated for each. The build
# tree says so beside the program (its "toolchain" file), for a script run
# by hand; KNJIGA_TOOLCHAIN and KNJIGA_BITS say it for a program elsewhere.
built=$(dirname "${prog[${#prog[@]} - 1]}")/toolchain
if [ -f "$built" ]; then
  { read -r toolchain; read -r bits; } <"$built"
fi
toolchain=${KNJIGA_TOOLCHAIN:-${toolchain:-unknown/unknown}}
bits=${KNJIGA_BITS:-${bits:-unknown}}
tmp=$(mktemp -d) || exit 99
trap 'rm -rf "$tmp"' EXIT
# The prompt and the two complaints, read from the manual page's
# DESCRIPTION, which is their home (tests/facts.py reads the rest).
page=$(dirname "${BASH_SOURCE[0]}")/../man/knjiga.1.in
# shellcheck disable=SC2034 # the scripts that source this use them
{ IFS= read -r prompt; IFS= read -r too_large; IFS= read -r far_too_large; } < <(
  awk '/^\.SH/ { d = $2 == "DESCRIPTION" }
    d && sub(/^\.RB \\\(lq "/, "") && sub(/" \\\(rq$/, "") { gsub(/\\ /, " "); print }
    d && prev == ".TP" && sub(/^\.B /, "") { print }
    { prev = $0 }' "$page")
[ -n "$far_too_large" ] || { echo "FAIL: no prompt and complaints read from $page"; exit 1; }
prompt="$prompt\n"
failures=0

# feed INPUT: runs the program with INPUT (a printf format) on a pipe.
# Now and then wine fails to start a program, ending with status 1 and no
# word on either stream, which knjiga itself never does: that run is made again.
feed() {
  printf -- "$1" | "${prog[@]}" >"$tmp/out" 2>"$tmp/err"
  status=$?
  if [ ${#prog[@]} -gt 1 ] && [ $status = 1 ] && [ ! -s "$tmp/out" ] && [ ! -s "$tmp/err" ]; then
    echo "note: the emulator did not start the program; running it again"
    printf -- "$1" | "${prog[@]}" >"$tmp/out" 2>"$tmp/err"
    status=$?
  fi
}

# stated PATTERN ANSWER...: the ANSWER of the first PATTERN that matches the
# toolchain; with none, a text that no run can match.
stated() {
  while [ $# -ge 2 ]; do
    # shellcheck disable=SC2254 # PATTERN is a glob
    case $toolchain in $1) printf '%s' "$2"; return ;; esac
    shift 2
  done
  printf '(no answer stated for %s)' "$toolchain"
}

# string_max: the longest string of the program's C++ library, which
# string-max beside the program says, run as the program is.
string_max() {
  "${prog[@]:0:${#prog[@]}-1}" "$(dirname "${prog[${#prog[@]} - 1]}")/string-max"
}

windows() { [[ $toolchain == */Windows ]]; }

# faulty CALL FILE FAULT [TRACED]: sets `faulty` to the strace command that
# makes the system call CALL on FILE fail as FAULT says (strace's
# inject=CALL:FAULT), logging it and the calls TRACED to $tmp/strace. A
# native 32-bit program seeks with _llseek, and qemu with lseek: a seek is
# named both ways.
faulty() {
  local calls=$1
  [ "$calls" != lseek ] || calls='lseek,?_llseek'
  rm -f "$tmp/strace"
  # shellcheck disable=SC2034 # the scripts that source this use it
  faulty=(timeout -k 5 60 strace -o "$tmp/strace" -qq -P "$2"
          -e "trace=$calls${4:+,$4}" -e "inject=$calls:$3")
}

# injected NAME: the case NAME fails unless strace's log shows its fault.
injected() {
  grep -q -e '(INJECTED)' -e '(DELAYED)' "$tmp/strace" 2>/dev/null && return
  failures=$((failures + 1))
  echo "FAIL: $1: the fault never reached the program"
}

# Text mode on Windows writes each line end as CR LF.
line_ends() { if windows; then sed -z 's/\n/\r\n/g'; else cat; fi; }

# check NAME STATUS OUT ERR: compares the last run's exit status, standard
# output and standard error (bytes given as printf formats) with what is due.
check() {
  printf -- "$3" | line_ends >"$tmp/want.out"
  printf -- "$4" | line_ends >"$tmp/want.err"
  if [ "$status" = "$2" ] && cmp -s "$tmp/want.out" "$tmp/out" &&
     cmp -s "$tmp/want.err" "$tmp/err"; then
    echo "ok: $1"
    return
  fi
  failures=$((failures + 1))
  echo "FAIL: $1: status $status, expected $2"
  for f in out err; do
    cmp -s "$tmp/want.$f" "$tmp/$f" ||
      diff <(od -An -c "$tmp/want.$f") <(od -An -c "$tmp/$f") | sed "s/^/  std$f /"
  done
}

# left NAME REST: the last run left REST (a printf format) of its file, as
# the run kept it in $tmp/rest.
left() {
  cmp -s "$tmp/rest" <(printf -- "$2") ||
    { failures=$((failures + 1)); echo "FAIL: $1: left $(head -c 40 "$tmp/rest" | od -An -c)"; }
}

# skip WHY: the whole test cannot run here (status 77); skip_case WHY: one
# case cannot. Either is said, and where KNJIGA_SKIPS names a file (as CI
# sets it), added to it as "TEST: WHY", so that no skip goes unseen.
skip_case() {
  echo "skip: $*"
  [ -z "${KNJIGA_SKIPS:-}" ] || echo "$(basename "$0" .sh): $*" >>"$KNJIGA_SKIPS"
}
skip() { skip_case "$@"; exit 77; }

finish() {
  echo "$failures failed"
  [ "$failures" -eq 0 ]
}
