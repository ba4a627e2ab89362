#!/usr/bin/env bash
# Makes a release into dist/: the source, then (once the source release has
# built and passed its tests on its own) the programs for each system users
# have, and SHA256SUMS over them all:
#   knjiga-VERSION.tar.gz                  the source
#   knjiga-VERSION-linux-x86_64.tar.gz     fully static: any Linux on x86-64
#   knjiga-VERSION-linux-aarch64.tar.gz    fully static: any Linux on 64-bit ARM
#   knjiga_VERSION_amd64.deb               Debian and its kin, hardened
#   knjiga_VERSION_arm64.deb
#   knjiga-VERSION-windows-x86_64.zip      64-bit Windows
# The Linux programs get Debian's hardening. Every archive is made the same
# wherever and by whomever it is made (members sorted, owned by root, modes
# rw-r--r-- or rwxr-xr-x, times SOURCE_DATE_EPOCH): with SOURCE_DATE_EPOCH set,
# by default the time of the last commit, two runs give identical dist/.
# Usage: bash scripts/release.sh
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C
version=$(sed -n 's/^project(knjiga VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

# The prerequisites first, named by the Debian packages that provide them.
missing=()
for need in cmake:cmake g++:g++ gzip:gzip dpkg-shlibdeps:dpkg-dev lintian:lintian \
    aarch64-linux-gnu-g++:g++-aarch64-linux-gnu qemu-aarch64:qemu-user \
    x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix \
    x86_64-w64-mingw32-objdump:binutils-mingw-w64-x86-64; do
  command -v "${need%%:*}" >/dev/null || missing+=("${need#*:}")
done
# dpkg-shlibdeps learns what an arm64 program needs from arm64's C library.
dpkg -s libc6:arm64 >/dev/null 2>&1 ||
  missing+=("libc6:arm64 (after dpkg --add-architecture arm64 and apt-get update)")
if [ ${#missing[@]} -gt 0 ]; then
  echo "release.sh: missing Debian packages: ${missing[*]}" >&2
  exit 1
fi

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
    { echo "release.sh: set SOURCE_DATE_EPOCH (no git history here)" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH
echo "release $version, dated $(date -u -d "@$SOURCE_DATE_EPOCH" '+%F %T') UTC"
rm -rf dist build-dist
mkdir -p dist build-dist
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# normalise DIR: gives everything under DIR the modes and the time of a
# release, whatever the umask and the clock were: rw-r--r--, rwxr-xr-x for
# programs and folders, SOURCE_DATE_EPOCH.
normalise() {
  chmod -R u+w,go-w,a+rX "$1"
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# repack PACKAGE [FOLDER]: makes the archive or Debian package PACKAGE again
# in FOLDER (dist), from what it holds, so that nothing of the folder, file
# system or umask it was made in is left in it.
repack() {
  local in=$1 out=${2:-dist}/${1##*/} tree
  tree=$(mktemp -d "$tmp/tree.XXXXXX")
  case $in in
  *.tar.gz)
    tar -xzf "$in" -C "$tree"
    normalise "$tree"
    (cd "$tree" && ls | tar --sort=name --owner=0 --group=0 --numeric-owner \
      --mtime="@$SOURCE_DATE_EPOCH" --format=gnu -cf - -T -) | gzip -9n >"$out" ;;
  *.zip)
    (cd "$tree" && cmake -E tar xf "$OLDPWD/$in")
    normalise "$tree"
    (cd "$tree" && find . -type f | sed 's|^\./||' | sort >"$tmp/list" &&
      TZ=UTC cmake -E tar cf "$OLDPWD/$out" --format=zip --files-from="$tmp/list") ;;
  *.deb)
    dpkg-deb -R "$in" "$tree"
    normalise "$tree"
    # As dpkg-gencontrol counts it: KiB of each file, rounded up, and one
    # for anything else; not the blocks that a file system happens to use.
    local size
    size=$(cd "$tree" && find . -path ./DEBIAN -prune -o ! -path . -printf '%y %s\n' |
      awk '{ n += $1 == "f" ? int(($2 + 1023) / 1024) : 1 } END { print n }')
    sed -i "s/^Installed-Size: .*/Installed-Size: $size/" "$tree/DEBIAN/control"
    dpkg-deb --root-owner-group -Zxz --build "$tree" "$out" >/dev/null ;;
  esac
  echo "made $out"
}

# build NAME CMAKE_OPTION...: configures and builds build-dist/NAME.
build() {
  local name=$1
  shift
  cmake -S . -B "build-dist/$name" -DCMAKE_BUILD_TYPE=Release "$@" >"$tmp/log" 2>&1 &&
    cmake --build "build-dist/$name" >>"$tmp/log" 2>&1 ||
    { cat "$tmp/log"; echo "release.sh: the $name build failed" >&2; exit 1; }
}

# The source release, and the distcheck: unpacked into an empty folder, it
# builds and passes its tests there, and makes itself again byte for byte.
build source -DBUILD_TESTING=OFF
(cd build-dist/source && cpack --config CPackSourceConfig.cmake >/dev/null)
repack "build-dist/source/knjiga-$version.tar.gz"
if git rev-parse --git-dir >/dev/null 2>&1; then
  diff <(tar -tzf "dist/knjiga-$version.tar.gz" | grep -v '/$' | sed 's|^[^/]*/||' | sort) \
       <(git ls-files | sort) ||
    { echo "release.sh: the source release does not hold what git tracks" >&2; exit 1; }
fi
tar -xzf "dist/knjiga-$version.tar.gz" -C "$tmp"
(cd "$tmp/knjiga-$version" && cmake -B build && cmake --build build &&
  ctest --test-dir build --output-on-failure && cd build &&
  cpack --config CPackSourceConfig.cmake) >"$tmp/log" 2>&1 ||
  { cat "$tmp/log"; echo "release.sh: the source release failed on its own" >&2; exit 1; }
repack "$tmp/knjiga-$version/build/knjiga-$version.tar.gz" "$tmp" >/dev/null
cmp "dist/knjiga-$version.tar.gz" "$tmp/knjiga-$version.tar.gz"
rm -rf "$tmp/knjiga-$version" "$tmp/knjiga-$version.tar.gz"
echo "distcheck: the source release builds alone, passes its tests, and makes itself again"

# The programs. The static ones, and each Debian package's, pass the test
# suite first (the arm64 ones under qemu-aarch64).
hardened=(-DKNJIGA_HARDENING=ON -DKNJIGA_WARNINGS=ON)
arm=(--toolchain cmake/linux-cross.cmake -DKNJIGA_TARGET=aarch64-linux-gnu)
build linux-x86_64 "${hardened[@]}" -DKNJIGA_STATIC=ON
build linux-aarch64 "${arm[@]}" "${hardened[@]}" -DKNJIGA_STATIC=ON
build deb-amd64 "${hardened[@]}"
build deb-arm64 "${arm[@]}" "${hardened[@]}"
build windows-x86_64 --toolchain cmake/mingw-w64.cmake -DKNJIGA_WARNINGS=ON -DBUILD_TESTING=OFF
for name in linux-x86_64 linux-aarch64 deb-amd64 deb-arm64; do
  ctest --test-dir "build-dist/$name" >"$tmp/log" 2>&1 ||
    { cat "$tmp/log"; echo "release.sh: the $name program failed its tests" >&2; exit 1; }
  echo "tested the $name program: $(grep 'tests passed' "$tmp/log")"
done
for name in linux-x86_64 linux-aarch64; do
  # Nothing for the system to load: no NEEDED entry, no interpreter.
  ! readelf -dl "build-dist/$name/knjiga" | grep -E 'NEEDED|INTERP' ||
    { echo "release.sh: the $name program is not static" >&2; exit 1; }
  (cd "build-dist/$name" && cpack -G TGZ >/dev/null)
  repack "build-dist/$name/knjiga-$version-$name.tar.gz"
done
for arch in amd64 arm64; do
  (cd "build-dist/deb-$arch" && cpack -G DEB >/dev/null 2>&1)
  repack "build-dist/deb-$arch/knjiga_${version}_$arch.deb"
  # Not an error, not a warning, and no hardening missing (which is info).
  lintian -I --pedantic --fail-on error,warning "dist/knjiga_${version}_$arch.deb" \
    >"$tmp/log" 2>/dev/null || { cat "$tmp/log"; exit 1; }
  ! grep hardening "$tmp/log" || { echo "release.sh: the $arch program lacks hardening" >&2; exit 1; }
done
(cd build-dist/windows-x86_64 && cpack -G ZIP >/dev/null)
repack "build-dist/windows-x86_64/knjiga-$version-windows-x86_64.zip"
# The Windows program loads at a random address, anywhere in 64 bits, and
# runs no data as code.
flags=$(x86_64-w64-mingw32-objdump -p build-dist/windows-x86_64/knjiga.exe)
for flag in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do
  grep -q "^[[:space:]]*$flag\b" <<<"$flags" ||
    { echo "release.sh: the Windows program lacks $flag" >&2; exit 1; }
done

# Each packaged Linux program, as a user unpacks it, holds a dialogue.
for package in dist/*.deb dist/*-linux-*.tar.gz; do
  rm -rf "$tmp/unpacked" && mkdir "$tmp/unpacked"
  case $package in
  *.deb) dpkg-deb -x "$package" "$tmp/unpacked" ;;
  *) tar -xzf "$package" -C "$tmp/unpacked" ;;
  esac
  run=$(find "$tmp/unpacked" -path '*/bin/knjiga')
  case $package in *arm64* | *aarch64*) run="qemu-aarch64 -L /usr/aarch64-linux-gnu $run" ;; esac
  answer=$(printf '3 Seobe\n' | $run | od -An -c)
  [ "$answer" = "$(printf 'Unesize broj te zatim naziv knjige: \nSeobe\n' | od -An -c)" ] ||
    { echo "release.sh: the program in $package answered: $answer" >&2; exit 1; }
done

(cd dist && sha256sum -- * >"$tmp/SHA256SUMS" && mv "$tmp/SHA256SUMS" . &&
  sha256sum --quiet -c SHA256SUMS)
echo "dist/:"
(cd dist && ls -l --time-style=+ | tail -n +2 | awk '{ printf "  %9d  %s\n", $5, $NF }')
