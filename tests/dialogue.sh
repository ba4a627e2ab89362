#!/usr/bin/env bash
# Ordinary dialogues: whatever is typed, the program writes the prompt line and
# one answer line, says nothing on standard error and exits with status 0.
. "$(dirname "$0")/lib.sh"

# answers NAME INPUT ANSWER: INPUT and ANSWER are printf formats.
answers() {
  feed "$2"
  check "$1" 0 "$prompt$3\n" ''
  # Windows reads CR LF as a line end: the same dialogue typed that way.
  if windows && [[ $2 != *'\r'* ]]; then
    feed "${2//'\n'/'\r\n'}"
    check "$1, CR LF" 0 "$prompt$3\n" ''
  fi
}

# Where the title starts: exactly one byte after the number is dropped.
answers 'title on the line after the number' '3\nNa Drini cuprija\n' 'Na Drini cuprija'
answers 'title after one space'             '3 Na Drini cuprija\n'  'Na Drini cuprija'
answers 'second of two spaces is kept'      '3  Prokleta avlija\n'  ' Prokleta avlija'
answers 'any character after the number'    '3-Gospodjica\n'        'Gospodjica'
answers 'trailing blanks are kept'          '3 Ex Ponto  \n'        'Ex Ponto  '
answers 'blanks after the number end it'    '3  \nNext line\n'      ' '
answers 'empty title line'                  '3\n\nNever read\n'     ''
answers 'blank lines before the number'     '\n \n\t2\nKuca\n'      'Kuca'
answers 'title without a final line end'    '1 Seobe'               'Seobe'
answers 'comma is no decimal point'         '5,5 Kameni spavac\n'   '5 Kameni spavac'

# What the C++ libraries answer differently is the manual page's, and the
# libraries test runs it from there.

# The limits are the documents' answer tables, which the documents test
# reads and tries at each bound.
answers 'zero'                              '0 Tvrdjava\n'          'Tvrdjava'
answers 'negative'                          '-42 Tvrdjava\n'        'Tvrdjava'
answers 'beyond any double'                 '1e999 T\n'             "$far_too_large"
answers 'beyond any double, below zero'     '-1e400 T\n'            ''

# Early ends of input and text that is not a number.
answers 'empty input'                       ''                      ''
answers 'only white space'                  ' \n\t\n'               ''
answers 'input ends after a small number'   '3'                     ''
answers 'input ends after a number line'    '3\n'                   ''
answers 'input ends after a large number'   '12'                    "$far_too_large"
answers 'not a number'                      'Na Drini cuprija\n'    ''
answers 'not a number, then a number'       'x 3 Title\n'           ''

# The title comes back byte for byte.
answers 'NUL byte'                          '1 a\0b\n'              'a\0b'
# CR LF ends a line on Windows; elsewhere its CR is part of the line.
answers 'CR LF after the title'             '1 Seobe\r\n' \
  "$(stated '*/Windows' 'Seobe' '*' 'Seobe\r')"
answers 'CR LF after the number'            '3\r\nSeobe\r\n' \
  "$(stated '*/Windows' 'Seobe' '*' '')"
answers 'CR before CR LF'                   '3 Seobe\r\r\n' \
  "$(stated '*/Windows' 'Seobe\r' '*' 'Seobe\r\r')"
answers 'CR at the end of the input'        '3 Seobe\r'           'Seobe\r'
answers 'UTF-8'                             '1 Na Drini \304\207uprija\n' 'Na Drini \304\207uprija'
answers 'a character of two bytes after the number' '3\304\215ovjek\n' '\215ovjek'
answers 'bytes that are not UTF-8'          '1 \377\376\200\n'      '\377\376\200'
answers 'only the first line is the title'  '1 Seobe\nKnjiga druga\n' 'Seobe'

# A short title at the head of a very large file (sparse: it takes no room):
# no more room is set aside for the title than any allocator gives, also
# where the size is one that Linux tells only through fstat (FIONREAD's int
# holds it modulo 4 GiB, here as a number below zero).
for size in 50G 1027G; do
  printf '3 Seobe\n' >"$tmp/in"
  if truncate -s $size "$tmp/in" 2>/dev/null; then
    "${prog[@]}" <"$tmp/in" >"$tmp/out" 2>"$tmp/err"; status=$?
    check "short title at the head of a $size file" 0 "${prompt}Seobe\n" ''
  else
    skip_case "short title at the head of a $size file: this file system holds no such file"
  fi
done
rm -f "$tmp/in"

# A file cut short after it was opened: what is left to read is less than
# nothing, as the offset lies past its end, and no room is set aside for it.
printf '3 Seobe\n' >"$tmp/in"
# shellcheck disable=SC2094 # the file is cut short on purpose
{ read -r _; : >"$tmp/in"; "${prog[@]}" >"$tmp/out" 2>"$tmp/err"; status=$?; } <"$tmp/in"
check 'a file cut short below its offset' 0 "$prompt\n" ''

# A file on standard input is left just past the title's line end, or where
# reading stopped, for whatever reads it next: another dialogue, or another
# command (here cat). A pipe cannot give back what was read ahead.
# leaves NAME INPUT ANSWER REST: INPUT, ANSWER and REST are printf formats.
leaves() {
  printf -- "$2" >"$tmp/in"
  { "${prog[@]}" >"$tmp/out" 2>"$tmp/err"; status=$?; cat >"$tmp/rest"; } <"$tmp/in"
  check "$1" 0 "$prompt$3\n" ''
  left "$1" "$4"
}
leaves 'a second dialogue follows'       '3 Seobe\n7 Dervis i smrt\n' 'Seobe' '7 Dervis i smrt\n'
leaves 'title on a line of its own'      '3\nSeobe\nnext\n'        'Seobe' 'next\n'
leaves 'blanks after the number'         '3  \nnext\n'              ' '     'next\n'
leaves 'not a number: reading stopped'   '  Kuca 3\nnext\n'         ''      'Kuca 3\nnext\n'
leaves 'not a number from the first byte'  'Kuca 3\nnext\n'           ''      'Kuca 3\nnext\n'
# Where no number was read, the file is left where reading stopped: libc++
# before 19 reads on over letters that could continue a number.
leaves 'a number out of range'           '1e999 Dervis\nnext\n' "$far_too_large" ' Dervis\nnext\n'
leaves 'not a number, letters of one'    'Dervis\nnext\n' '' \
  "$(stated 'libc++-before-19/*' 'rvis\nnext\n' '*' 'Dervis\nnext\n')"
leaves 'a large number, input ends'      '12'                        "$far_too_large" ''
leaves 'title at the end of the input'   '1 Seobe'                   'Seobe' ''
# Windows reads CR LF as one line end: the file is left past it all the same.
leaves 'CR LF line ends'                 '3 Seobe\r\n7 Dervis\r\n' \
  "$(stated '*/Windows' 'Seobe' '*' 'Seobe\r')" '7 Dervis\r\n'
leaves 'CR LF lines after the dialogue'  "3 Seobe\\n$(printf 'a\\r\\n%.0s' $(seq 3000))" 'Seobe' \
  "$(printf 'a\\r\\n%.0s' $(seq 3000))"
# Windows reads a file in text mode, where byte 0x1A (Ctrl-Z) ends the input
# and the file is left past all that was read ahead.
leaves 'byte 0x1A in the title'          '3 ab\032cd\nNEXT\n' \
  "$(stated '*/Windows' 'ab' '*' 'ab\032cd')" "$(stated '*/Windows' '' '*' 'NEXT\n')"
# Far more than any buffer reads ahead at once.
leaves 'a long file after the dialogue'  "3 Seobe\\n$(seq 20000 | tr '\n' ' ')" 'Seobe' \
  "$(seq 20000 | tr '\n' ' ')"
# Two dialogues from one open file, one after the other.
printf '3 Seobe\n7 Dervis i smrt\n' >"$tmp/in"
{ "${prog[@]}"; "${prog[@]}"; } <"$tmp/in" >"$tmp/out" 2>"$tmp/err"; status=$?
check 'two dialogues from one file' 0 "${prompt}Seobe\n${prompt}$too_large\n" ''

finish
