#!/usr/bin/env bash
# The armhf package's preinst, run as dpkg runs it before an install, on
# each kind of processor as uname -m names it: it refuses those older than
# ARMv7 (Raspberry Pi Zero and 1), saying which file to take, and takes the
# others, a 64-bit kernel's included; an upgrade as an install.
#   bash tests/preinst.sh PREINST
[ $# -eq 1 ] || { echo "usage: $0 PREINST" >&2; exit 99; }
preinst=$1
tmp=$(mktemp -d) || exit 99
trap 'rm -rf "$tmp"' EXIT
failures=0
for case in 'install armv6l 1' 'upgrade armv6l 1' 'install armv5tel 1' 'install armv7l 0' \
            'install armv8l 0' 'install aarch64 0' 'abort-upgrade armv6l 0'; do
  read -r action machine want <<<"$case"
  printf '#!/bin/sh\necho %s\n' "$machine" >"$tmp/uname"
  chmod +x "$tmp/uname"
  PATH=$tmp:$PATH sh "$preinst" "$action" >"$tmp/out" 2>"$tmp/err"
  status=$?
  said=$(cat "$tmp/out" "$tmp/err")
  if [ "$want" = 1 ]; then
    ok=$([ $status = 1 ] && [ ! -s "$tmp/out" ] && grep -q "processor is $machine:" "$tmp/err" &&
         grep -q -- '-linux-armv5te\.tar\.gz instead' "$tmp/err" && echo yes)
  else
    ok=$([ $status = 0 ] && [ -z "$said" ] && echo yes)
  fi
  if [ "$ok" = yes ]; then
    echo "ok: preinst $action on $machine: status $status"
  else
    failures=$((failures + 1))
    echo "FAIL: preinst $action on $machine: status $status, expected $want: $said"
  fi
done
echo "$failures failed"
[ $failures -eq 0 ]
