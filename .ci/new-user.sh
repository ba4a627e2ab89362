#!/usr/bin/env bash
# What newcomers do on a fresh Debian or Ubuntu, run there as root by
# debian.sh. A contributor who installs the least that builds it (the install
# line of HACKING.md) builds the program with the README's first command, is
# answered, and runs the README's test command, where the tests that need
# more skip; a user who installs the README's one line runs the test command
# again, on the tests that skipped, whole or in part (the others ran on the
# same program), and nothing skips. Then every other command of HACKING.md, as it
# stands there on a line of its own between ``` lines, each in a clean
# tree: but the lint's, which the lint stage of .ci/run runs. Then each
# PRESET given, as PRESET=PACKAGE,PACKAGE with what it needs beyond that.
# Each test run says what skipped, as "skipped: NAME-STEP TEST[: CASE]"
# (scripts/skips.sh).
#   bash .ci/new-user.sh NAME [PRESET=PACKAGES...]
set -euo pipefail
. scripts/skips.sh
system=$1
shift
export DEBIAN_FRONTEND=noninteractive
# install_line FILE: the one install line that FILE names.
install_line() {
  local lines
  mapfile -t lines < <(sed -n 's/^sudo \(apt-get install .*\)$/\1/p' "$1")
  [ ${#lines[@]} -eq 1 ] || { echo "new-user.sh: $1 names ${#lines[@]} install lines, not 1" >&2; exit 1; }
  echo "${lines[0]}"
}
least=$(install_line HACKING.md) readme=$(install_line README.md)
run='cmake -B build && cmake --build build && ./build/knjiga'
test='cmake -B build && cmake --build build && ctest --test-dir build --output-on-failure'
for command in "$run" "$test"; do
  grep -qxF "$command" README.md || { echo "new-user.sh: the README has no line $command" >&2; exit 1; }
done
quietly() { "$@" >/tmp/log 2>&1 || { cat /tmp/log; return 1; }; }

. /etc/os-release
echo "-- $PRETTY_NAME: $least"
quietly eval "$least -y"
echo "   $(g++ --version | head -n 1), $(cmake --version | head -n 1)"
answer=$(printf '3 Seobe\n' | eval "$run" 2>&1 | tail -n 1)
[ "$answer" = Seobe ] ||
  { echo "new-user.sh: the dialogue answered: $answer" >&2; exit 1; }
echo "   the README's first command builds the program, and it answers"
echo "-- the test command"
tested "$system-least" eval "$test" | tee /tmp/least
skipped=$(sed -n "s/^skipped: $system-least \([a-z-]*\).*/\1/p" /tmp/least | sort -u | paste -sd '|')
echo "-- $readme, and the test command again, on the tests that skipped: $skipped"
quietly eval "$readme -y"
echo "   tmux $(tmux -V), $(python3 --version)"
tested "$system-readme" eval "$test -R '^($skipped)\$'"

# The commands of HACKING.md: each fenced line but the install line and the
# lint's, named in what skipped as hacking-PRESET where it tests a preset,
# else hacking-N.
mapfile -t commands < <(awk '/^```/ { fenced = !fenced; next } fenced' HACKING.md |
  grep -v -e '^sudo apt-get install ' -e '--preset lint')
[ ${#commands[@]} -ge 2 ] || { echo "new-user.sh: HACKING.md has ${#commands[@]} commands to run" >&2; exit 1; }
n=0
for command in "${commands[@]}"; do
  n=$((n + 1))
  echo "-- HACKING.md: $command"
  rm -rf build build-*
  step=$(sed -n 's/.*ctest --preset \([a-z0-9]*\).*/\1/p' <<<"$command")
  tested "$system-hacking-${step:-$n}" eval "$command" >/tmp/log 2>&1 || { cat /tmp/log; exit 1; }
  grep -E 'tests passed|^[0-9]+ failed$' /tmp/log | tail -n 1
  grep '^skipped: ' /tmp/log || true
done

for preset; do
  name=${preset%%=*} packages=${preset#*=}
  echo "-- preset $name${packages:+, with ${packages//,/ }}"
  # shellcheck disable=SC2086 # a list of package names
  [ -z "$packages" ] || quietly apt-get install -y --no-install-recommends ${packages//,/ }
  quietly cmake --preset "$name"
  quietly cmake --build --preset "$name"
  tested "$system-$name" ctest --preset "$name"
done
