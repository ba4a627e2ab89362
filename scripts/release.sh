#!/usr/bin/env bash
# Makes a release into dist/, as RELEASING.md tells: the source, the
# programs for each system, tested, and SHA256SUMS over them. With
# KNJIGA_RELEASE_TESTS=no the programs are only built; with
# KNJIGA_TESTED_SUMS=FILE, dist/ must be what FILE sums.
# Usage: bash scripts/release.sh
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C
# A release is one commit: a change that git does not hold, or a file that
# it does not track, would make a release that no commit describes.
if ! changed=$(git status --porcelain 2>&1) || [ -n "$changed" ]; then
  echo "release.sh: the work tree is not its last commit, and a release must be one commit:" >&2
  echo "$changed" >&2
  exit 1
fi
. scripts/skips.sh
version=$(sed -n 's/^project(knjiga VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
tests=${KNJIGA_RELEASE_TESTS:-yes}

# The Linux targets, one line each of cmake/targets.txt (its columns are
# named there).
mapfile -t targets < <(grep -v '^#' cmake/targets.txt | grep .)
mirror=${KNJIGA_MIRROR:-http://deb.debian.org/debian}

# The prerequisites first, named by the Debian packages that provide them.
missing=()
needs=(cmake:cmake g++:g++ gzip:gzip dpkg-shlibdeps:dpkg-dev lintian:lintian apt-get:apt
       x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix
       x86_64-w64-mingw32-objdump:binutils-mingw-w64-x86-64)
for target in "${targets[@]}"; do
  read -r cpu triple arch qemu oldest suite <<<"$target"
  if [ "$cpu" = "$(uname -m)" ]; then needs+=("$triple-g++:g++"); else needs+=("$triple-g++:g++-$triple"); fi
  needs+=("qemu-$qemu:qemu-user")
done
for need in "${needs[@]}"; do
  command -v "${need%%:*}" >/dev/null || missing+=("${need#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "release.sh: missing Debian packages: $(printf '%s\n' "${missing[@]}" | sort -u | xargs)" >&2
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

# settle DIR: every file in DIR rw-r--r-- or rwxr-xr-x, and dated
# SOURCE_DATE_EPOCH, however old it is in the work tree (dpkg-deb only
# clamps newer times).
settle() {
  chmod -R u+w,go-w,a+rX "$1"
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# pack DIR NAME OUT: packs the folder NAME in DIR into OUT (.tar.gz or .zip)
# so that nothing of the folder, file system, umask or clock it was made in is
# left in it: members sorted, owned by root, rw-r--r-- or rwxr-xr-x, every
# time SOURCE_DATE_EPOCH.
pack() {
  local dir=$1 name=$2 out=$3
  case $out in
  *.tar.gz)
    tar -C "$dir" --sort=name --owner=0 --group=0 --numeric-owner --format=gnu \
      --mtime="@$SOURCE_DATE_EPOCH" --mode=u+w,go-w,a+rX -cf - "$name" | gzip -9n >"$out" ;;
  *.zip)
    settle "$dir/$name"
    (cd "$dir" && find "$name" -type f | sort >"$tmp/list" &&
      TZ=UTC cmake -E tar cf "$OLDPWD/$out" --format=zip --files-from="$tmp/list") ;;
  esac
  echo "made $out"
}

# archive NAME OUT: packs what the build-dist/NAME build installs, stripped,
# into OUT, under a folder named as OUT is.
archive() {
  local folder
  folder=$(basename "$2" .zip)
  folder=${folder%.tar.gz}
  cmake --install "build-dist/$1" --strip --prefix "$tmp/$folder" >/dev/null
  pack "$tmp" "$folder" "$2"
  rm -rf "${tmp:?}/$folder"
}

# deb NAME ARCH: packs the build-dist/NAME build as the Debian package of ARCH.
deb() {
  local name=$1 arch=$2 tree size maintainer depends
  tree=$(mktemp -d "$tmp/deb.XXXXXX")
  DESTDIR=$tree cmake --install "build-dist/$name" --strip --prefix /usr >/dev/null
  mkdir "$tree/DEBIAN"
  # A package that must refuse some processors of its architecture has a
  # preinst of its own, scripts/ARCH.preinst (tests/preinst.sh tests it).
  if [ -f "scripts/$arch.preinst" ]; then
    sed "s/@VERSION@/$version/g" "scripts/$arch.preinst" >"$tree/DEBIAN/preinst"
    chmod 755 "$tree/DEBIAN/preinst"
  fi
  (cd "$tree" && find usr -type f | sort | xargs md5sum >DEBIAN/md5sums)
  # As dpkg-gencontrol counts it: KiB of each file, rounded up, and one for
  # anything else; not the blocks that a file system happens to use.
  size=$(cd "$tree" && find . -path ./DEBIAN -prune -o ! -path . -printf '%y %s\n' |
    awk '{ n += $1 == "f" ? int(($2 + 1023) / 1024) : 1 } END { print n }')
  maintainer=$(sed -n 's/^ -- \(.*>\)  .*$/\1/p' "build-dist/$name/changelog")
  depends=$(depends "$tree/usr/bin/knjiga" "$arch")
  cat >"$tree/DEBIAN/control" <<EOT
Package: knjiga
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $size
$depends
Section: misc
Priority: optional
Description: Asks for a number and a book title, and answers with one line
 knjiga asks for a number and the title of a book, and answers with one
 line: the title itself when the number is small enough, else one of two
 complaints that the number is too large. Its texts are Croatian; its
 manual page tells the limits.
EOT
  settle "$tree"
  dpkg-deb --root-owner-group -Zxz --build "$tree" "dist/knjiga_${version}_$arch.deb" >/dev/null
  echo "made dist/knjiga_${version}_$arch.deb"
}

# depends PROGRAM ARCH: the Depends line of a Debian package of ARCH that
# holds PROGRAM, as dpkg-shlibdeps computes it from the C library of ARCH
# that libc (below) has fetched.
depends() {
  local program=$1 arch=$2 libc=$tmp/libc6-$2 scratch=$tmp/shlibdeps
  rm -rf "$scratch" && mkdir -p "$scratch/debian/knjiga/usr/bin"
  printf 'Source: knjiga\n\nPackage: knjiga\nArchitecture: %s\n' "$arch" >"$scratch/debian/control"
  cp "$program" "$scratch/debian/knjiga/usr/bin/"
  (cd "$scratch" && dpkg-shlibdeps -O "-S$libc" "-l$(dirname "$(find "$libc" -name libc.so.6)")" \
    debian/knjiga/usr/bin/knjiga) >"$scratch/out" 2>"$tmp/log" ||
    { cat "$tmp/log" >&2; echo "release.sh: dpkg-shlibdeps failed for $arch" >&2; exit 1; }
  sed -n 's/^shlibs:Depends=/Depends: /p' "$scratch/out"
}

# build NAME CMAKE_OPTION...: configures and builds build-dist/NAME.
build() {
  local name=$1
  shift
  if ! { cmake -S . -B "build-dist/$name" -DCMAKE_BUILD_TYPE=Release "$@" &&
         cmake --build "build-dist/$name"; } >"$tmp/build-$name.log" 2>&1; then
    cat "$tmp/build-$name.log"
    echo "release.sh: the $name build failed" >&2
    exit 1
  fi
}

# The builds and the test runs are jobs, as many at once as there are
# cores. job NAME COMMAND...: starts COMMAND, its output kept in
# $tmp/jobs/NAME. wait_jobs: waits for every job, shows each one's output in
# the order they were started, and stops the release if any failed.
mkdir "$tmp/jobs"
started=()
job() {
  local name=$1
  shift
  while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do wait -n || true; done
  { if ("$@") >"$tmp/jobs/$name" 2>&1; then echo 0; else echo 1; fi >"$tmp/jobs/$name.status"; } &
  started+=("$name")
}
wait_jobs() {
  local name failed=()
  wait
  for name in "${started[@]}"; do
    cat "$tmp/jobs/$name"
    [ "$(cat "$tmp/jobs/$name.status")" = 0 ] || failed+=("$name")
  done
  started=()
  [ ${#failed[@]} = 0 ] || { echo "release.sh: failed: ${failed[*]}" >&2; exit 1; }
}

# The source release, and the distcheck: what git tracks, packed; unpacked
# into an empty folder, it builds there, its program starts, and it packs
# itself again byte for byte. Its suite is the README's test command's, on
# the same files, which CI runs on a fresh clone.
mkdir "$tmp/source" "$tmp/source/knjiga-$version"
git ls-files -z | tar --null -T - -cf - | tar -C "$tmp/source/knjiga-$version" -xf -
pack "$tmp/source" "knjiga-$version" "dist/knjiga-$version.tar.gz"
rm -rf "$tmp/source"
tar -xzf "dist/knjiga-$version.tar.gz" -C "$tmp"
(cd "$tmp/knjiga-$version" && cmake -B "$tmp/build" && cmake --build "$tmp/build" &&
  { [ "$tests" = no ] || tested distcheck ctest --test-dir "$tmp/build" -R '^starts$' --output-on-failure; }) \
  >"$tmp/log" 2>&1 ||
  { cat "$tmp/log"; echo "release.sh: the source release failed on its own" >&2; exit 1; }
grep '^skipped: ' "$tmp/log" || true
pack "$tmp" "knjiga-$version" "$tmp/again.tar.gz" >/dev/null
cmp "dist/knjiga-$version.tar.gz" "$tmp/again.tar.gz"
rm -rf "$tmp/knjiga-$version" "$tmp/build" "$tmp/again.tar.gz"
if [ "$tests" = no ]; then
  echo "distcheck: the source release builds alone and packs itself again (not tested)"
else
  echo "distcheck: the source release builds alone, its program starts, and it packs itself again"
fi

# The C library of each Debian package's architecture and release, as
# dpkg-shlibdeps needs it to tell what the program needs: fetched from the
# mirror with an apt of its own, as this machine need not have that
# architecture, nor that release.
libc() {
  local arch=$1 suite=$2 apt=$tmp/apt-$1
  mkdir -p "$apt/lists/partial" "$apt/archives/partial"
  echo "deb [arch=$arch signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $suite main" \
    >"$apt/sources.list"
  local options=(-qq -o "Dir::Etc::SourceList=$apt/sources.list" -o Dir::Etc::SourceParts=-
    -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt" -o Dir::State::status=/dev/null
    -o "APT::Architecture=$arch" -o "APT::Architectures=$arch" -o APT::Sandbox::User=root)
  (cd "$apt" && apt-get "${options[@]}" update && apt-get "${options[@]}" download "libc6:$arch") \
    >"$tmp/libc-$arch.log" 2>&1 ||
    { cat "$tmp/libc-$arch.log"; echo "release.sh: no libc6 for $arch in Debian $suite at $mirror" >&2; exit 1; }
  dpkg-deb -R "$apt"/libc6_*.deb "$tmp/libc6-$arch"
}

# The C libraries that the packages need are fetched meanwhile.
fetch() {
  for target in "${targets[@]}"; do
    read -r cpu triple arch qemu oldest suite <<<"$target"
    [ "$arch" = - ] || libc "$arch" "$suite" || return 1
  done
}
# It is no job of the pool below, which it must not hold up: it says its
# status in a file.
{ if (fetch) >"$tmp/fetch.log" 2>&1; then echo 0; else echo 1; fi >"$tmp/fetch.status"; } &
disown

# The programs: for each target a static one, and one for its Debian
# package where it has one; then the Windows program.
hardened=(-DKNJIGA_HARDENING=ON -DKNJIGA_WARNINGS=ON)
for target in "${targets[@]}"; do
  read -r cpu triple arch qemu oldest suite <<<"$target"
  cross=(--toolchain cmake/linux-cross.cmake "-DKNJIGA_TARGET=$triple")
  job "build-linux-$cpu" build "linux-$cpu" "${cross[@]}" "${hardened[@]}" -DKNJIGA_STATIC=ON
  [ "$arch" = - ] || job "build-deb-$arch" build "deb-$arch" "${cross[@]}" "${hardened[@]}"
done
job build-windows build windows-x86_64 --toolchain cmake/mingw-w64.cmake -DKNJIGA_WARNINGS=ON \
  -DBUILD_TESTING=OFF
wait_jobs

# test_program NAME MODEL...: the program of build-dist/NAME passes the
# test suite as each MODEL: native, as this machine's processor; qemu,
# qemu's own; else a qemu model, for which the build is configured again
# (cmake/linux-cross.cmake). The tests whose answers no processor model can
# change, longest and random, run on the first only (HACKING.md).
test_program() {
  local name=$1 model only=()
  shift
  for model; do
    if [ "$model" = qemu ]; then
      [ -s "build-dist/$name/emulator" ] ||
        { echo "release.sh: nothing here runs the $name program as qemu's processor" >&2; return 1; }
    elif [ "$model" != native ]; then
      cmake -B "build-dist/$name" "-DKNJIGA_CPU=$model" >"$tmp/$name.log" 2>&1 ||
        { cat "$tmp/$name.log"; return 1; }
      grep -qx -- "-cpu" "build-dist/$name/emulator" ||
        { echo "release.sh: the $name program would not run as $model" >&2; return 1; }
    fi
    tested "release-$name-$model" ctest --test-dir "build-dist/$name" -j 2 "${only[@]}" \
      >"$tmp/$name.log" 2>&1 ||
      { cat "$tmp/$name.log"; echo "release.sh: the $name program failed its tests on $model" >&2; return 1; }
    ! grep -q ' - program (Skipped)' "$tmp/$name.log" ||
      { echo "release.sh: nothing here runs the $name program" >&2; return 1; }
    echo "tested the $name program on $model: $(grep 'tests passed' "$tmp/$name.log")"
    grep '^skipped: ' "$tmp/$name.log" || true
    only=(-E '^(longest|random)$')
  done
}

# The static programs, and each Debian package's, pass the test suite on
# each of the oldest processors that the list names for the target, as
# qemu models them, and natively too where this machine runs them, as only
# there the tests that no emulator takes run.
for target in "${targets[@]}"; do
  read -r cpu triple arch qemu oldest suite <<<"$target"
  programs=("linux-$cpu")
  [ "$arch" = - ] || programs+=("deb-$arch")
  for name in "${programs[@]}"; do
    if [ "$tests" = no ]; then
      echo "built the $name program (not tested: KNJIGA_RELEASE_TESTS=no)"
      continue
    fi
    cpus=()
    [ -s "build-dist/$name/emulator" ] || cpus=(native)
    IFS=, read -ra models <<<"${oldest/#-/qemu}"
    job "test-$name" test_program "$name" "${cpus[@]}" "${models[@]}"
  done
done
# The check on the oldest processors can fail: a program built for more than
# its family's oldest processor (here ARMv7's instructions in the ARMv5TE
# program) must fail the dialogues there.
canary() {
  build canary --toolchain cmake/linux-cross.cmake -DKNJIGA_TARGET=arm-linux-gnueabi \
    -DKNJIGA_STATIC=ON -DCMAKE_CXX_FLAGS=-march=armv7-a -DKNJIGA_CPU=arm926
  if ctest --test-dir build-dist/canary -R dialogue --output-on-failure >"$tmp/canary.log" 2>&1 ||
     ! grep -q 'status 132, expected 0' "$tmp/canary.log"; then
    cat "$tmp/canary.log"
    echo "release.sh: a program for ARMv7 passed on ARMv5TE: the check on the oldest processors checks nothing" >&2
    return 1
  fi
  echo "canary: a program built for ARMv7 fails the dialogues on ARMv5TE (Illegal instruction)"
}
[ "$tests" = no ] || job canary canary
wait_jobs

for target in "${targets[@]}"; do
  read -r cpu triple arch qemu oldest suite <<<"$target"
  # Nothing for the system to load: no NEEDED entry, no interpreter.
  ! readelf -dl "build-dist/linux-$cpu/knjiga" | grep -E 'NEEDED|INTERP' ||
    { echo "release.sh: the linux-$cpu program is not static" >&2; exit 1; }
  # The oldest kernel that its C library takes, as the program's ABI note
  # says, is the one that the README's install table names in its row.
  kernel=$(readelf -n "build-dist/linux-$cpu/knjiga" | sed -n 's/.*OS: Linux, ABI: \([0-9.]*\)$/\1/p')
  said=$(grep -F "\`knjiga-VERSION-linux-$cpu.tar.gz\`" README.md | awk -F '|' '{ print $(NF - 1) }' | xargs)
  [ "$kernel" = "$said.0" ] ||
    { echo "release.sh: the linux-$cpu program needs Linux $kernel, the README says $said" >&2; exit 1; }
  archive "linux-$cpu" "dist/knjiga-$version-linux-$cpu.tar.gz"

  [ "$arch" != - ] || continue
  while [ ! -s "$tmp/fetch.status" ]; do sleep 1; done
  [ "$(cat "$tmp/fetch.status")" = 0 ] || { cat "$tmp/fetch.log"; exit 1; }
  deb "deb-$arch" "$arch"
  # Not an error, not a warning, and no hardening missing (which is info).
  lintian -I --pedantic --fail-on error,warning "dist/knjiga_${version}_$arch.deb" \
    >"$tmp/log" 2>/dev/null || { cat "$tmp/log"; exit 1; }
  ! grep hardening "$tmp/log" || { echo "release.sh: the $arch program lacks hardening" >&2; exit 1; }
done
archive windows-x86_64 "dist/knjiga-$version-windows-x86_64.zip"
# The Windows program loads at a random address, anywhere in 64 bits, and
# runs no data as code.
flags=$(x86_64-w64-mingw32-objdump -p build-dist/windows-x86_64/knjiga.exe)
for flag in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do
  grep -q "^[[:space:]]*$flag\b" <<<"$flags" ||
    { echo "release.sh: the Windows program lacks $flag" >&2; exit 1; }
done

# Each packaged Linux program, as a user unpacks it, holds a dialogue.
longest=$(tr '\n' ' ' <man/knjiga.1.in |
  sed -n "s/.* \([0-9]*\) bytes for a 32-bit program built with g++ 12, as the release's are.*/\1/p")
[ -n "$longest" ] || { echo "release.sh: the manual page names no longest title" >&2; exit 1; }
for package in dist/*.deb dist/*-linux-*.tar.gz; do
  rm -rf "$tmp/unpacked" && mkdir "$tmp/unpacked"
  case $package in
  *.deb) dpkg-deb -x "$package" "$tmp/unpacked" ;;
  *) tar -xzf "$package" -C "$tmp/unpacked" ;;
  esac
  run=$(find "$tmp/unpacked" -path '*/bin/knjiga')
  for target in "${targets[@]}"; do
    read -r cpu triple arch qemu oldest suite <<<"$target"
    case $package in
    *-linux-$cpu.tar.gz) name=linux-$cpu; break ;;
    *_$arch.deb) name=deb-$arch; break ;;
    esac
  done
  # It answers as the program that passed the tests, run as they last ran
  # it: behind the emulator that cmake/linux-cross.cmake chose, as the last
  # of its oldest processors.
  mapfile -t emulator <"build-dist/$name/emulator"
  answer=$(printf '3 Seobe\n' | "${emulator[@]}" "$run" | od -An -c)
  due=$(printf '3 Seobe\n' | "${emulator[@]}" "build-dist/$name/knjiga" | od -An -c)
  { [ -n "$due" ] && [ "$answer" = "$due" ]; } ||
    { echo "release.sh: the program in $package answered: $answer" >&2; exit 1; }
  # The longest title that the manual page names for the release's 32-bit
  # programs is the one they hold.
  if [ "$(sed -n 2p "build-dist/$name/toolchain")" = 32 ]; then
    held=$("${emulator[@]}" "build-dist/$name/string-max")
    [ "$held" = "$longest" ] ||
      { echo "release.sh: the $name program holds $held bytes, the manual page says $longest" >&2; exit 1; }
  fi
done

(cd dist && sha256sum -- * >"$tmp/SHA256SUMS" && mv "$tmp/SHA256SUMS" . &&
  sha256sum --quiet -c SHA256SUMS)
# A release made again, as RELEASING.md tells, must be the one that CI
# tested, file for file: KNJIGA_TESTED_SUMS names CI's SHA256SUMS.
if [ -n "${KNJIGA_TESTED_SUMS:-}" ]; then
  diff "$KNJIGA_TESTED_SUMS" dist/SHA256SUMS ||
    { echo "release.sh: dist/ is not the release that CI tested" >&2; exit 1; }
  echo "dist/ is the release that CI tested, file for file"
fi
echo "dist/:"
find dist -type f -printf '  %9s  %f\n' | sort -k2
