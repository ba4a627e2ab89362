#!/usr/bin/env bash
# Whole-process wall time and peak memory of a Release knjiga, as built by
# default and fully static (KNJIGA_STATIC, as in the Linux archives), side by
# side with mature tools doing comparable work on the same input, as ratios:
#   - one short dialogue against cat of the same file;
#   - a 64 MiB title against sed -n p, which also holds one line in memory.
# Runs of the two commands alternate, so that drift in the machine's speed
# falls on both. Usage: bash bench/run.sh [BUILD_DIR] [CMAKE_OPTION...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
shift $(($# > 0 ? 1 : 0))
for variant in default static; do
  cmake -S "$root" -B "$build/$variant" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    "-DKNJIGA_STATIC=$([ $variant = static ] && echo ON || echo OFF)" "$@" >/dev/null
  cmake --build "$build/$variant" >/dev/null
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
printf '3 Na Drini cuprija\n' >"$tmp/short"
{ printf '1 '; head -c $((64 << 20)) /dev/zero | tr '\0' a; echo; } >"$tmp/big"

if command -v hyperfine >/dev/null; then
  timer="hyperfine (mean of each block, shell start-up subtracted)"
else
  timer="/usr/bin/time loops (install hyperfine for finer figures)"
fi

# seconds CMDLINE RUNS: mean wall time of one run of CMDLINE over RUNS runs.
seconds() {
  if command -v hyperfine >/dev/null; then
    hyperfine --runs "$2" --style none --export-json "$tmp/json" "$1" >/dev/null 2>&1
    sed -n 's/^ *"mean": *\([0-9.e+-]*\),$/\1/p' "$tmp/json"
  else
    /usr/bin/time -f %e -o "$tmp/time" sh -c "i=0; while [ \$i -lt $2 ]; do $1 >/dev/null; i=\$((i + 1)); done"
    awk -v n="$2" '{ print $1 / n }' "$tmp/time"
  fi
}

# kib CMDLINE 1: peak resident memory of one run of CMDLINE, in KiB.
kib() { /usr/bin/time -f %M -o "$tmp/time" sh -c "exec $1 >/dev/null"; cat "$tmp/time"; }

median() { sort -g | awk '{ v[NR] = $1 } END { print (v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2 }'; }

# compare WHAT UNIT MEASURE ROUNDS RUNS CMD REF GOAL: alternates CMD and REF
# for ROUNDS rounds, measuring each with "MEASURE CMDLINE RUNS"; prints a row
# with the medians of both and their ratio against the goal.
compare() {
  local what=$1 unit=$2 measure=$3 rounds=$4 runs=$5 cmd=$6 ref=$7 target=$8 i
  : >"$tmp/a"; : >"$tmp/b"
  for ((i = 0; i < rounds; i++)); do
    if ((i % 2)); then
      $measure "$ref" "$runs" >>"$tmp/b"; $measure "$cmd" "$runs" >>"$tmp/a"
    else
      $measure "$cmd" "$runs" >>"$tmp/a"; $measure "$ref" "$runs" >>"$tmp/b"
    fi
  done
  awk -v what="$what" -v unit="$unit" -v a="$(median <"$tmp/a")" -v b="$(median <"$tmp/b")" \
      -v t="$target" -v n="$rounds x $runs" 'BEGIN {
    scale = unit == "ms" ? 1000 : unit == "MiB" ? 1 / 1024 : 1
    printf "| %-45s | %9.2f %-3s | %9.2f %-3s | %5.2f | %4.2f | %-6s | %-7s |\n", what,
      a * scale, unit, b * scale, unit, a / b, t, a / b <= t ? "met" : "MISSED", n }'
}

echo "timer: $timer"
echo "| measure                                       | knjiga        | reference     | ratio | goal | result | runs    |"
echo "|-----------------------------------------------|---------------|---------------|-------|------|--------|---------|"
for variant in default static; do
  prog=$build/$variant/knjiga
  compare "$variant ($(stat -c %s "$prog") B): short dialogue vs cat" ms seconds 31 50 \
    "$prog <$tmp/short" "cat <$tmp/short" 1.10
  compare "$variant: 64 MiB title, wall time vs sed -n p" ms seconds 31 1 \
    "$prog <$tmp/big" "sed -n p <$tmp/big" 1.30
  compare "$variant: 64 MiB title, peak memory vs sed" MiB kib 5 1 \
    "$prog <$tmp/big" "sed -n p <$tmp/big" 1.10
done
