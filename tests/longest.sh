#!/usr/bin/env bash
# A 32-bit program's longest title is the longest string, which string-max
# says: a title of that length is answered, a longer title or number is a
# read error, never cut. The release runs it once per program (HACKING.md).
. "$(dirname "$0")/lib.sh"

[ "$bits" = 32 ] || { echo "FAIL: a test for 32-bit programs, run on one of $bits bits"; exit 1; }
limit=$(string_max)
[[ $limit =~ ^[0-9]+$ ]] || { echo "FAIL: string-max says no longest string: $limit"; exit 1; }
enomem='knjiga: read error: Cannot allocate memory'

# longest NAME STATUS REASON [SHORT]: checks the last run; a REASON of - is
# an answer. SHORT says that memory may run out first behind an emulator:
# the number's digits grow by doubling to 1 GiB, for which qemu 10's
# qemu-i386 (Debian 13) leaves a 32-bit program too little room.
longest() {
  local short=
  [ "$limit" -lt 2147483646 ] || short=yes
  [ -z "${4:-}" ] || [ ${#prog[@]} = 1 ] || short=yes
  if [ -n "$short" ] && grep -qx "$enomem" "$tmp/err"; then
    check "$1" 1 "$prompt" "$enomem\n"
  elif [ "$3" = - ]; then
    check "$1" "$2" "the prompt and the title\n" ''
  else
    check "$1" "$2" "$prompt" "knjiga: read error: $3\n"
  fi
}
# title LENGTH [END]: runs the program on a file of a title of LENGTH bytes
# and END (a printf format; by default a line end and NEXT), and keeps what
# it left of the file in $tmp/rest. The title is a sparse file's hole, which
# takes no room, and is compared here, not as a printf format.
title() {
  printf '3 ' >"$tmp/in"
  truncate -s $(($1 + 2)) "$tmp/in"
  printf -- "${2-\nNEXT\n}" >>"$tmp/in"
  { "${prog[@]}" >"$tmp/out" 2>"$tmp/err"; status=$?; cat >"$tmp/rest"; } <"$tmp/in"
  if cmp -s "$tmp/out" <(printf -- "$prompt"; head -c "$1" /dev/zero; echo); then
    echo 'the prompt and the title' >"$tmp/out"
  elif [ "$(wc -c <"$tmp/out")" -gt 4096 ]; then
    echo "$(wc -c <"$tmp/out") bytes, not the prompt and the title" >"$tmp/out"
  fi
}

title "$limit"
longest "a title as long as the longest string ($limit bytes)" 0 -
[ "$status" != 0 ] || left 'the longest title' 'NEXT\n'
title "$limit" ''
longest "a title as long as the longest string, at the end of the input" 0 -
[ "$status" != 0 ] || left 'the longest title at the end' ''
# A read error leaves the file past all that was read: here all of it.
title $((limit + 1))
longest "a title longer than the longest string" 1 'Value too large for defined data type'
left 'a title longer than the longest string' ''
rm -f "$tmp/in" "$tmp/out" "$tmp/rest"
# A longer number, whose digits are zeros after its decimal point: they count.
{ printf 0.; head -c $((limit + 1)) /dev/zero | tr '\0' 0; printf '1 T\n'; } |
  "${prog[@]}" >"$tmp/out" 2>"$tmp/err"
status=$?
longest 'a number longer than the longest string, in zeros after its point' 1 \
  'Value too large for defined data type' short
# Zeros in front of a number do not count.
{ head -c $((limit + 1)) /dev/zero | tr '\0' 0; printf '3 T\n'; } | "${prog[@]}" >"$tmp/out" 2>"$tmp/err"
status=$?
check 'zeros in front of a number, more than the longest string' 0 "${prompt}T\n" ''

finish
