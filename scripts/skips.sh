#!/usr/bin/env bash
# Sourced by the scripts that run the test suite (CI and the release), so
# that no skip goes unseen:
#   tested NAME COMMAND...
# runs COMMAND, which runs ctest, passing on its output and status, then says
# each test that skipped as "skipped: NAME TEST" and each case that a test
# skipped as "skipped: NAME TEST: WHY"; where KNJIGA_CI_SKIPS names a file,
# those lines are added to it too, and where KNJIGA_CI_PASSED names one,
# each test that passed as "NAME TEST".

tested() {
  local - name=$1 log cases status=0
  set -o pipefail
  shift
  log=$(mktemp) cases=$(mktemp)
  KNJIGA_SKIPS=$cases "$@" 2>&1 | tee "$log" || status=$?
  { sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (Skipped)$/\1/p' "$log"; cat "$cases"; } |
    sed "s/^/skipped: $name /" | tee -a "${KNJIGA_CI_SKIPS:-/dev/null}"
  sed -n "s/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([^ ]*\) \.* *Passed .*/$name \1/p" "$log" \
    >>"${KNJIGA_CI_PASSED:-/dev/null}"
  rm -f "$log" "$cases"
  return $status
}
