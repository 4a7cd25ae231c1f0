#!/usr/bin/env bash
# vemorainfo --lines and --count: display lines and line ends of the column layout, and hit
# counts of plain and regular-expression search in every encoding.
source "$(dirname "$0")/check.bash"
lines() { "$info" --utf8 --lines "$@"; }

printf '%080d\n' 0 >"$work/exact80.txt"
check "80 columns and a line end: the line end wraps alone" "2 1" "$(lines "$work/exact80.txt")"
check "the same with room for it" "1 1" "$(lines --fold 81 "$work/exact80.txt")"
printf 'あ%.0s' $(seq 41) >"$work/wide.txt"
check "41 full-width characters pass 80 columns" "2 0" "$(lines "$work/wide.txt")"
printf 'ｱ%.0s' $(seq 80) >"$work/half.txt"
check "80 half-width katakana fit" "1 0" "$(lines "$work/half.txt")"
printf 'abcde\tx\n' >"$work/tab.txt"
check "a tab at column 5 reaches 8; what follows wraps" "2 1" "$(lines --fold 8 "$work/tab.txt")"
printf 'ab\tx' >"$work/tab2.txt"
check "a tab beyond the fold column wraps and is taken alone" "3 0" "$(lines --fold 4 "$work/tab2.txt")"
check "with --tab 4 it ends at column 4" "2 0" "$(lines --fold 4 --tab 4 "$work/tab2.txt")"
printf 'a\r\nb\rc\nd' >"$work/mixed.txt"
check "CR, LF and CR LF are each one line end; no final one" "4 3" "$(lines "$work/mixed.txt")"
: >"$work/empty.txt"
check "empty file" "0 0" "$(lines "$work/empty.txt")"
check "--fold needs a positive number" 2 "$("$info" --lines --fold 0 "$work/empty.txt" 2>/dev/null; echo $?)"

# The same Japanese text in five encodings: the count does not depend on the encoding.
text='東京から大阪まで、大阪から東京まで。
「大阪まで」と言った。大阪大阪まで
'
printf '%s' "$text" >"$work/utf8.txt"
iconv -f UTF-8 -t CP932 "$work/utf8.txt" >"$work/sjis.txt"
iconv -f UTF-8 -t EUC-JP "$work/utf8.txt" >"$work/euc.txt"
iconv -f UTF-8 -t ISO-2022-JP "$work/utf8.txt" >"$work/jis.txt"
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$work/utf8.txt"; } >"$work/utf16.txt"
for f in utf8 sjis euc jis utf16; do
  check "hits in $f" 3 "$("$info" --count 大阪まで "$work/$f.txt")"
done
check "one count per file, with the path when there are several" \
  "$work/sjis.txt	3
$work/euc.txt	3" "$("$info" --count 大阪まで "$work/sjis.txt" "$work/euc.txt")"

printf 'aaaa ABC abc Abc ａｂｃ\n' >"$work/ascii.txt"
check "hits do not overlap" 2 "$("$info" --count aa "$work/ascii.txt")"
check "ASCII letters fold without --caps" 3 "$("$info" --count abc "$work/ascii.txt")"
check "--caps compares exactly" 1 "$("$info" --count abc --caps "$work/ascii.txt")"
check "full-width letters never fold" 0 "$("$info" --utf8 --count ＡＢＣ "$work/ascii.txt")"
check "regular expression" 4 "$("$info" --count 'a+|[Bb]c' --regex "$work/ascii.txt")"
check "empty matches count nothing" 1 "$(printf 'axxb' >"$work/x.txt"; "$info" --count 'x*' --regex "$work/x.txt")"
check "caret holds behind a hit" 2 "$(printf 'ab' >"$work/ab.txt"; "$info" --count 'a|^b' --regex "$work/ab.txt")"
"$info" --count 'a(' --regex "$work/ascii.txt" >"$work/out" 2>"$work/err"
check "a rejected pattern fails with the library's message" \
  "2 vemorainfo: regular expression: end pattern with unmatched parenthesis" "$? $(cat "$work/err")"

# The library gives up on the long line of a's at its backtracking limit: the other lines
# are still searched, and the user is told the count may be short.
{ printf 'a%.0s' $(seq 40); printf '!\nfound it\n'; } >"$work/hostile.txt"
"$info" --count 'found|(\w+\s?)+$' --regex "$work/hostile.txt" >"$work/out" 2>"$work/err"
check "a line the library gives up on costs only that line" \
  "2 2 vemorainfo: search could not be completed on 1 line" "$? $(cat "$work/out") $(cat "$work/err")"

"$info" --timing --lines --count x "$work/x.txt" >/dev/null 2>"$work/err"
check "timing phases" "read detect decode overstrike layout search" \
  "$(awk '{printf "%s%s", sep, $1; sep=" "}' "$work/err")"

exit $((failures > 0))
