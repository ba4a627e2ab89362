#!/usr/bin/env bash
# Each package's preinst, scripts/ARCH.preinst, run as dpkg runs it before an
# install, on each processor as uname -m names it. Its "# refuses:" and
# "# takes:" lines name them, and neither may be empty: it must refuse the
# first, saying which archive of cmake/targets.txt to take instead, and take
# the second. An upgrade is an install; an abort-upgrade is always taken.
#   bash tests/preinst.sh [PREINST...]    (by default every scripts/*.preinst)
here=$(dirname "$0")/..
[ $# -gt 0 ] || set -- "$here"/scripts/*.preinst
[ -f "$1" ] || { echo "FAIL: no preinst: $*"; exit 1; }
tmp=$(mktemp -d) || exit 99
trap 'rm -rf "$tmp"' EXIT
failures=0
# The archives the release makes for Linux, one per target.
archives=$(grep -v '^#' "$here/cmake/targets.txt" | awk 'NF { printf "|%s", $1 }')
archives="knjiga-@VERSION@-linux-(${archives#|})\\.tar\\.gz instead"

# run PREINST ACTION MACHINE WANT: runs it as dpkg would on MACHINE.
run() {
  local said ok=
  printf '#!/bin/sh\necho %s\n' "$3" >"$tmp/uname"
  chmod +x "$tmp/uname"
  PATH=$tmp:$PATH sh "$1" "$2" >"$tmp/out" 2>"$tmp/err"
  status=$?
  said=$(cat "$tmp/out" "$tmp/err")
  if [ "$4" = refuse ]; then
    [ $status = 1 ] && [ ! -s "$tmp/out" ] && grep -q "processor is $3:" "$tmp/err" &&
      grep -Eq -- "$archives" "$tmp/err" && ok=yes
  else
    [ $status = 0 ] && [ -z "$said" ] && ok=yes
  fi
  if [ -n "$ok" ]; then
    echo "ok: $(basename "$1") $2 on $3: it must $4 it, and does"
  else
    failures=$((failures + 1))
    echo "FAIL: $(basename "$1") $2 on $3: it must $4 it: status $status: $said"
  fi
}

for preinst; do
  refused=$(sed -n 's/^# refuses: *//p' "$preinst")
  taken=$(sed -n 's/^# takes: *//p' "$preinst")
  if [ -z "$refused" ] || [ -z "$taken" ]; then
    failures=$((failures + 1))
    echo "FAIL: $preinst names no processors that it refuses, or none that it takes"
    continue
  fi
  for machine in $refused; do
    run "$preinst" install "$machine" refuse
    run "$preinst" upgrade "$machine" refuse
    run "$preinst" abort-upgrade "$machine" take
  done
  for machine in $taken; do
    run "$preinst" install "$machine" take
  done
done
echo "$failures failed"
[ $failures -eq 0 ]
