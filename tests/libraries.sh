#!/usr/bin/env bash
# The manual page's tables of what each C++ library answers, read from the
# page (man/knjiga.1.in) and run on this build, in the column of the library
# that the build tree names. A row without an answer in that column, a cell
# that says no known answer, or a table this script cannot read fails.
. "$(dirname "$0")/lib.sh"
page=$(dirname "$0")/../man/knjiga.1.in

# The page's heading of each library's column, by the build's name for it.
case ${toolchain%%/*} in
libstdc++) column='libstdc++' ;;
libc++) column='libc++ 19 on' ;;
libc++-before-19) column='libc++ before 19' ;;
*) column="(no column for $toolchain)" ;;
esac

# The tables of the section "C++ LIBRARIES AND SYSTEMS", one row a line:
# the table's first heading, the row's first cell and its cell in the
# column, tab-separated; troff's \- is a minus. A table without the column
# gives a row "(no column)".
mapfile -t rows < <(awk -F '\t' -v column="$column" '
  /^\.SH/ { section = $0 ~ /C\+\+ LIBRARIES AND SYSTEMS/ }
  !section { next }
  /^\.TS/ { state = "format"; next }
  /^\.TE/ { state = ""; next }
  state == "format" { if (/\.$/) state = "heading"; next }
  state == "heading" {
    kind = $1; at = 0
    for (i = 2; i <= NF; i++) if ($i == column) at = i
    if (!at) print kind "\t(no column)\t"
    state = "rows"; next
  }
  state == "rows" && $0 != "_" && at {
    gsub(/\\-/, "-"); print kind "\t" $1 "\t" $at
  }' "$page")
[ ${#rows[@]} -gt 0 ] || { echo "FAIL: no table read from $page"; exit 1; }

# Letters that a "letters" row names; "any other" is every other ASCII letter.
named=
for row in "${rows[@]}"; do
  IFS=$'\t' read -r kind first _ <<<"$row"
  [ "$kind" != letters ] || [ "$first" = 'any other' ] || named+=" $first"
done

typed=0 letters=0
for row in "${rows[@]}"; do
  IFS=$'\t' read -r kind first cell <<<"$row"
  case $kind/$cell in
  */) failures=$((failures + 1)); echo "FAIL: $kind $first: the page has no answer for $column" ;;
  typed/*)
    answer=$cell
    [ "$answer" != '(empty)' ] || answer=
    feed "${first//%/%%}\n"
    check "$first" 0 "$prompt${answer//%/%%}\n" ''
    typed=$((typed + 1)) ;;
  letters/ends | letters/spoils)
    if [ "$first" = 'any other' ]; then
      mapfile -t each < <(printf '%s\n' {a..z} {A..Z} | grep -vxF -f <(tr ' ' '\n' <<<"$named" | grep .))
    else
      read -ra each <<<"$first"
    fi
    answer=$( [ "$cell" = ends ] && echo Seobe)
    for letter in "${each[@]}"; do
      feed "3${letter}Seobe\n"
      check "3${letter}Seobe: the $letter $cell the number" 0 "$prompt$answer\n" ''
      letters=$((letters + 1))
    done ;;
  *) failures=$((failures + 1)); echo "FAIL: $kind $first: no known answer: $cell" ;;
  esac
done
if [ "$typed" = 0 ] || [ "$letters" = 0 ]; then
  failures=$((failures + 1))
  echo "FAIL: the page gave $typed typed rows and $letters letters"
fi
echo "from the page, for $column: $typed typed rows, $letters letters"
finish
