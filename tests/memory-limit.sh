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
    (ulimit -v $limit && exec "${prog[@]}") >"$tmp/out" 2>"$tmp/err"
  status=$?
}

grow '1 ' 'a'
check 'title larger than memory' 1 "$prompt" 'knjiga: read error: Cannot allocate memory\n'
grow '' '1'
check 'number larger than memory' 1 "$prompt" 'knjiga: read error: Cannot allocate memory\n'

# The same limit leaves room for an ordinary dialogue.
printf '1 Seobe\n' | (ulimit -v $limit && exec "${prog[@]}") >"$tmp/out" 2>"$tmp/err"
status=$?
check 'ordinary title under the limit' 0 "${prompt}Seobe\n" ''

finish
