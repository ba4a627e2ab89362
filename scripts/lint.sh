#!/usr/bin/env bash
# The lint checks, each of which must find nothing: clang-format (the
# source's style, .clang-format), clang-tidy (.clang-tidy), cppcheck, and
# for every shell script shellcheck (.shellcheckrc), for every file codespell
# (.codespellrc); that CMakePresets.json and the README's install table
# follow cmake/targets.txt; and that every mutant of scripts/mutants.py
# still applies. CI runs it; so do `cmake --build --preset lint` and
# `bash scripts/lint.sh`.
# Debian and Ubuntu: apt-get install clang-format clang-tidy cppcheck shellcheck codespell
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --git-dir >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -co --exclude-standard)
else
  mapfile -t files < <(find . -path ./.git -prune -o -path './build*' -prune -o -type f -print)
fi
mapfile -t shell < <(for f in "${files[@]}"; do
  case $f in *.sh | .ci/run) echo "$f" ;; esac
done)
sources=(src/knjiga.cpp)
# The test suite's own C++ (a library it preloads) is held to the same style.
formatted=("${sources[@]}" tests/bsd-stdio.cpp tests/closed-stdout.cpp tests/string-max.cpp)
failed=()
# check NAME COMMAND...: runs one checker, which fails on any finding.
check() {
  local name=$1
  shift
  if "$@"; then echo "lint: $name: nothing found"; else failed+=("$name"); fi
}

check clang-format clang-format --dry-run --Werror "${formatted[@]}"
# clang-tidy reads how the source is compiled from a build tree of its own.
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
cmake -S . -B "$tree" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DBUILD_TESTING=OFF >/dev/null
# It counts the warnings in the system's headers that it does not show.
check clang-tidy clang-tidy --quiet -p "$tree" "${sources[@]}" 2> >(grep -v 'warnings generated' >&2)
check cppcheck cppcheck -q --error-exitcode=1 --inline-suppr --std=c++17 \
  --enable=warning,style,performance,portability "${sources[@]}"
check shellcheck shellcheck "${shell[@]}"
# CMakePresets.json follows cmake/targets.txt: a configure, build and test
# preset for each target, named as the target and building for its triple,
# and no other; but x86_64, which the release preset builds natively on the
# x86-64 machines the presets are for.
presets() {
  python3 - <<'EOT'
import json, sys
targets = [l.split() for l in open("cmake/targets.txt") if l.strip() and not l.startswith("#")]
presets = json.load(open("CMakePresets.json"))
configure = {p["name"]: p for p in presets["configurePresets"]}

def triple(preset):
    while "KNJIGA_TARGET" not in preset.get("cacheVariables", {}) and "inherits" in preset:
        preset = configure[preset["inherits"]]
    return preset.get("cacheVariables", {}).get("KNJIGA_TARGET")

wanted = {t[0]: t[1] for t in targets if t[0] != "x86_64"}
have = {n: triple(p) for n, p in configure.items() if triple(p) and not p.get("hidden")}
found = ["configure preset %s: %s, where the list says %s" % (n, have.get(n), wanted.get(n))
         for n in sorted(set(wanted) | set(have)) if wanted.get(n) != have.get(n)]
for kind in ("buildPresets", "testPresets"):
    names = {p["name"] for p in presets[kind]}
    found += ["no %s %s" % (kind[:-1], n) for n in sorted(set(wanted) - names)]
print("\n".join("CMakePresets.json: " + f for f in found))
sys.exit(1 if found else 0)
EOT
}
check presets presets
# The README's install table follows it too: a row for each target, naming
# its static archive and, where it has one, its Debian package, and the
# Debian release that package needs where that is not 12; and no other.
# (scripts/release.sh checks the kernel column against each program.)
install_table() {
  python3 - <<'EOT'
import re, sys
targets = [l.split() for l in open("cmake/targets.txt") if l.strip() and not l.startswith("#")]
rows = [l for l in open("README.md") if "-linux-" in l and l.startswith("|")]
debian = {"bookworm": None, "trixie": "13", "forky": "14"}
found = []
for name, _, arch, _, _, suite in targets:
    row = [r for r in rows if "`knjiga-VERSION-linux-%s.tar.gz`" % name in r]
    if len(row) != 1:
        found.append("%d rows for %s" % (len(row), name))
        continue
    package = re.search(r"`knjiga_VERSION_([a-z0-9]+)\.deb`( \(Debian (\d+)\))?", row[0])
    said = package and (package.group(1), package.group(3))
    due = (arch, debian.get(suite, suite)) if arch != "-" else None
    if said != due:
        found.append("%s: the row says package %s, the list %s" % (name, said, due))
if len(rows) != len(targets):
    found.append("%d rows for %d targets" % (len(rows), len(targets)))
print("\n".join("README.md's install table: " + f for f in found))
sys.exit(1 if found else 0)
EOT
}
check install-table install_table
# Each mutant of the mutation run still finds the code it changes.
check mutants python3 scripts/mutants.py --check
check codespell codespell "${files[@]}"
[ ${#failed[@]} -eq 0 ] || { echo "lint: findings from ${failed[*]}" >&2; exit 1; }
