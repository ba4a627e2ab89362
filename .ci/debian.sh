#!/usr/bin/env bash
# Runs a script in a fresh minimal Debian system, as a new user's would be:
#   bash .ci/debian.sh SUITE SCRIPT [FILE...]
# makes SUITE (bullseye, trixie, ...) with debootstrap --variant=minbase in a
# scratch folder, copies the project's files (as git lists them) to /src and
# the FILEs to /files, mounts /proc, /sys, /dev and /dev/pts there, updates
# apt's lists and runs the bash SCRIPT as root in /src. Everything is
# unmounted and removed afterwards, also when a step fails. Exit status 77: the mirror cannot be
# reached. The minimal system is kept in /var/cache/knjiga-ci/SUITE.tar, and
# made again when it is a week old; packages that apt downloads are kept in
# /var/cache/knjiga-ci/SUITE-apt/ (delete both to start afresh). With the
# SCRIPT --prepare, it only makes that system, if it is not fresh.
# KNJIGA_FORCE_QEMU is passed on, so that a run here can be made as on a
# kernel that runs no 32-bit x86 program (HACKING.md).
set -euo pipefail
suite=$1 script=$2
shift 2
mirror=${KNJIGA_MIRROR:-http://deb.debian.org/debian}
cache=/var/cache/knjiga-ci
mkdir -p "$cache/$suite-apt/partial"
root=$(mktemp -d "/var/tmp/knjiga-$suite.XXXXXX")
mounted=()
cleanup() {
  local m i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    m=${mounted[i]}
    umount "$m" 2>/dev/null || umount -l "$m" || true
  done
  # Only once nothing of the host is mounted inside may the folder go.
  if findmnt -rn -o TARGET | grep -q "^$root/"; then
    echo "debian.sh: $root still has mounts: it is left in place" >&2
  else
    rm -rf "$root"
  fi
}
trap cleanup EXIT

fresh=$(find "$cache/$suite.tar" -mtime -7 2>/dev/null || true)
[ "$script" != --prepare ] || [ -z "$fresh" ] || exit 0
if [ -z "$fresh" ]; then
  command -v debootstrap >/dev/null || { echo "SKIP: debootstrap is not installed"; exit 77; }
  echo "making a minimal Debian $suite from $mirror"
  if ! debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$root.log" 2>&1; then
    tail -n 5 "$root.log"; rm -f "$root.log"
    echo "SKIP: debootstrap could not make Debian $suite from $mirror"
    exit 77
  fi
  rm -f "$root.log"
  tar -C "$root" -cf "$cache/$suite.tar.tmp" . && mv "$cache/$suite.tar.tmp" "$cache/$suite.tar"
  [ "$script" != --prepare ] || exit 0
else
  tar -C "$root" -xf "$cache/$suite.tar"
fi

mkdir -p "$root/src" "$root/files"
git ls-files -co --exclude-standard -z | tar --null -T - -cf - | tar -C "$root/src" -xf -
[ $# -eq 0 ] || cp -- "$@" "$root/files/"
cp /etc/resolv.conf "$root/etc/resolv.conf"
for m in /proc /sys /dev /dev/pts "$cache/$suite-apt"; do
  target=$root$m
  [ "$m" != "$cache/$suite-apt" ] || target=$root/var/cache/apt/archives
  mkdir -p "$target"
  mount --bind "$m" "$target"
  mounted+=("$target")
done
# A mirror that cannot be reached is no failure of the project's (status 77).
chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
  DEBIAN_FRONTEND=noninteractive CI="${CI:-}" CTEST_PARALLEL_LEVEL="$(nproc)" \
  KNJIGA_FORCE_QEMU="${KNJIGA_FORCE_QEMU:-}" bash -euo pipefail -c "cd /src
    if ! apt-get update >/tmp/log 2>&1 || grep -q '^[WE]: Failed to fetch' /tmp/log; then
      cat /tmp/log; echo 'SKIP: the mirror cannot be reached'; exit 77
    fi
    $script"
