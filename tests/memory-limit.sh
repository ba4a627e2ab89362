#!/usr/bin/env bash
# Memory that runs out while the input grows: the program must not answer with
# whatever part of it fitted, but say so and exit with status 1.
. "$(dirname "$0")/lib.sh"

[ -z "${KNJIGA_SANITIZED:-}" ] ||
  skip "a sanitizer's shadow memory does not fit under a memory limit"
[ ${#prog[@]} -eq 1 ] ||
  skip "the emulator ${prog[0]##*/} does not start under a memory limit"

limit=100000 # KiB of address space: the program runs, 256 MiB of input does not fit
# grow START CHAR: runs the program under the limit on START, then 256 MiB of CHAR.
grow() {
  { printf '%s' "$1"; head -c 268435456 /dev/zero | tr '\0' "$2"; } |
    (ulimit -v "$limit" && exec "${prog[@]}") >"$tmp/out" 2>"$tmp/err"
  status=$?
}

grow '1 ' 'a'
check 'title larger than memory' 1 "$prompt" 'knjiga: read error: Cannot allocate memory\n'
grow '' '1'
check 'number larger than memory' 1 "$prompt" 'knjiga: read error: Cannot allocate memory\n'

# A title read from a file has its room set aside at once, for as much as
# the file holds: grown by doubling, 100 MB would need 64 and 128 MiB at
# once, which the limit does not give. (libc++ tells no file's size, but
# its title grows in steps that fit: 50 and 100 MB.)
{ printf '1 '; head -c 100000000 /dev/zero | tr '\0' a; } >"$tmp/in"
(ulimit -v 160000 && exec "${prog[@]}") <"$tmp/in" >"$tmp/out" 2>"$tmp/err"
status=$?
# 100 MB are compared here, not as a printf format: the check is then given
# a line that says whether they were the prompt and the title.
{ printf -- "$prompt"; head -c 100000000 /dev/zero | tr '\0' a; echo; } >"$tmp/want"
if cmp -s "$tmp/want" "$tmp/out"; then said='the prompt and the title'; else
  said="not the prompt and the title: $(wc -c <"$tmp/out") bytes"; fi
echo "$said" >"$tmp/out"
rm -f "$tmp/want"
check 'title of 100 MB from a file' 0 'the prompt and the title\n' ''
rm -f "$tmp/in"

# A short title at the head of a 50 GiB file (sparse): room for the whole
# file cannot be had under the limit, and the title grows as it comes.
printf '3 Seobe\n' >"$tmp/in"
truncate -s 50G "$tmp/in"
(ulimit -v "$limit" && exec "${prog[@]}") <"$tmp/in" >"$tmp/out" 2>"$tmp/err"
status=$?
check 'short title at the head of a 50 GiB file' 0 "${prompt}Seobe\n" ''

# The same limit leaves room for an ordinary dialogue.
printf '1 Seobe\n' | (ulimit -v "$limit" && exec "${prog[@]}") >"$tmp/out" 2>"$tmp/err"
status=$?
check 'ordinary title under the limit' 0 "${prompt}Seobe\n" ''

# Limits so tight that little more than the program itself fits: each run
# answers, or says in one line that memory ran out as it started, before
# anything was read (status 1), or is not
# started at all: the loader or the C library says why (status 127), or dies
# without a word in the C library's start. None is ended by a signal after
# it spoke, as by an abort for an exception that could not be thrown.
printf '3 Seobe\n' >"$tmp/in"
printf "${prompt}Seobe\n" >"$tmp/answer"
outcomes=()
for limit in $(seq 1000 20 8000); do
  status=$({ (ulimit -v "$limit" && exec "${prog[@]}") <"$tmp/in" >"$tmp/out" 2>"$tmp/err"
             echo $?; } 2>/dev/null)
  if [ "$status" = 0 ] && cmp -s "$tmp/out" "$tmp/answer" && [ ! -s "$tmp/err" ]; then
    outcome=answered
  elif [ "$status" = 1 ] && cmp -s "$tmp/out" "$tmp/answer" -n "$(wc -c <"$tmp/out")" &&
       [ "$(wc -l <"$tmp/err")" = 1 ] && grep -qx 'knjiga: start-up error: Cannot allocate memory' "$tmp/err"; then
    outcome="$(cut -d: -f2 "$tmp/err")"
  elif [ "$status" = 127 ] && [ ! -s "$tmp/out" ] && [ -s "$tmp/err" ] && ! grep -q '^knjiga' "$tmp/err"; then
    outcome='not started, saying why'
  elif [ "$status" -gt 128 ] && [ ! -s "$tmp/out" ] && [ ! -s "$tmp/err" ]; then
    outcome='not started'
  else
    failures=$((failures + 1))
    echo "FAIL: under $limit KiB: status $status, stderr: $(head -c 200 "$tmp/err")"
    continue
  fi
  [[ " ${outcomes[*]:-}" == *" $outcome"* ]] ||
    { outcomes+=("$outcome"); echo "from $limit KiB on: $outcome"; }
done
[ ${#outcomes[@]} -gt 1 ] || { failures=$((failures + 1)); echo "FAIL: no limit is tight enough"; }
echo "ok: under each limit from 1000 to 8000 KiB, an answer or one line"

finish
