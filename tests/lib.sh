# Helpers for the test scripts, which drive the built program black-box:
# sourced with the program's path as the script's first argument.
prog=${1:?usage: $0 PROGRAM}
tmp=$(mktemp -d) || exit 99
trap 'rm -rf "$tmp"' EXIT
prompt='Unesize broj te zatim naziv knjige: \n'
failures=0

# feed INPUT: runs the program with INPUT (a printf format) on a pipe.
feed() {
  printf -- "$1" | "$prog" >"$tmp/out" 2>"$tmp/err"
  status=$?
}

# check NAME STATUS OUT ERR: compares the last run's exit status, standard
# output and standard error (bytes given as printf formats) with what is due.
check() {
  printf -- "$3" >"$tmp/want.out"
  printf -- "$4" >"$tmp/want.err"
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

skip() { echo "SKIP: $*"; exit 77; }

finish() {
  echo "$failures failed"
  [ "$failures" -eq 0 ]
}
