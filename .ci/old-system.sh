#!/usr/bin/env bash
# On an older system, run there as root by debian.sh with the release's
# static x86-64 archive and amd64 package in /files: the static program holds
# the dialogues, a read error and write errors; the package is refused, and
# apt says which C library it needs.
set -euo pipefail
. scripts/skips.sh
. /etc/os-release
echo "-- $PRETTY_NAME, $(ldd --version | head -n 1)"
# strace, for the cases that make a system call fail.
apt-get install -y --no-install-recommends strace >/tmp/log 2>&1 || { cat /tmp/log; exit 1; }
tar -xzf /files/knjiga-*-linux-x86_64.tar.gz -C /tmp
program=$(echo /tmp/knjiga-*-linux-x86_64/bin/knjiga)
for test in dialogue read-errors write-errors; do
  KNJIGA_TOOLCHAIN=libstdc++/Linux KNJIGA_BITS=64 tested bullseye-static bash "tests/$test.sh" "$program" \
    >/tmp/log 2>&1 || { cat /tmp/log; exit 1; }
  echo "   $test: $(grep -v '^skipped: ' /tmp/log | tail -n 1)"
  grep '^skipped: ' /tmp/log || true
done
if apt-get install -y --no-install-recommends /files/knjiga_*_amd64.deb >/tmp/log 2>&1; then
  echo "old-system.sh: apt installed the package here" >&2
  exit 1
fi
grep -F 'Depends: libc6 (>= 2.36)' /tmp/log || { cat /tmp/log; exit 1; }
echo "   apt refuses the package, as the README says"
