#!/usr/bin/env bash
# The manual page formats without a single warning.
command -v man >/dev/null || { echo "SKIP: man is not installed"; exit 77; }
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$1" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "$warnings"; exit 1; }
echo "ok: no warnings"
