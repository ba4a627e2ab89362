#!/usr/bin/env bash
# What a new user does on a fresh Debian or Ubuntu, run there as root by
# debian.sh: installs exactly what the README's Building section names,
# builds the program and answers a dialogue, and runs the test command; then
# installs the optional test tools and runs it again. Then each PRESET given,
# as PRESET=PACKAGE,PACKAGE with what it needs beyond that. Each test run says
# what skipped, as "skipped: NAME-STEP TEST[: CASE]" (scripts/skips.sh).
#   bash .ci/new-user.sh NAME [PRESET=PACKAGES...]
set -euo pipefail
. scripts/skips.sh
system=$1
shift
export DEBIAN_FRONTEND=noninteractive
# The README's install lines: for building, and for the optional tests.
mapfile -t installs < <(sed -n 's/^sudo \(apt-get install .*\)$/\1/p' README.md)
[ ${#installs[@]} -eq 2 ] || { echo "new-user.sh: the README names ${#installs[@]} install lines, not 2" >&2; exit 1; }
run='cmake -B build && cmake --build build && ./build/knjiga'
test='cmake -B build && cmake --build build && ctest --test-dir build --output-on-failure'
for command in "$run" "$test"; do
  grep -qxF "$command" README.md || { echo "new-user.sh: the README has no line $command" >&2; exit 1; }
done
quietly() { "$@" >/tmp/log 2>&1 || { cat /tmp/log; return 1; }; }

. /etc/os-release
echo "-- $PRETTY_NAME: ${installs[0]}"
quietly eval "${installs[0]} -y"
echo "   $(g++ --version | head -n 1), $(cmake --version | head -n 1)"
answer=$(printf '3 Seobe\n' | eval "$run" 2>&1 | tail -n 2)
[ "$answer" = "$(printf 'Unesize broj te zatim naziv knjige: \nSeobe')" ] ||
  { echo "new-user.sh: the dialogue answered: $answer" >&2; exit 1; }
echo "   the README's first command builds the program, and it answers"
echo "-- the test command"
tested "$system-first" eval "$test"
rm -rf build
echo "-- ${installs[1]}, and the test command again"
quietly eval "${installs[1]} -y"
echo "   tmux $(tmux -V), $(python3 --version)"
tested "$system-tools" eval "$test"

for preset; do
  name=${preset%%=*} packages=${preset#*=}
  echo "-- preset $name${packages:+, with ${packages//,/ }}"
  # shellcheck disable=SC2086 # a list of package names
  [ -z "$packages" ] || quietly apt-get install -y --no-install-recommends ${packages//,/ }
  quietly cmake --preset "$name"
  quietly cmake --build --preset "$name"
  tested "$system-$name" ctest --preset "$name"
done
