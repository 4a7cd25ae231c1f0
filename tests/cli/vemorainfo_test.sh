#!/usr/bin/env bash
# vemorainfo as users script it: the report line, --text against iconv on real Shift_JIS,
# encoding options, unreadable files and the exit code, timing lines.
source "$(dirname "$0")/check.bash"
tab=$'\t'

printf 'a\nb\n' >"$work/lf.txt"
printf '\xb4\xc1\xbb\xfa\r\n' >"$work/euc.txt"
printf '\x1b$B$"\x1b(B\r' >"$work/jis.txt"
printf '\xff\xfeA\x00' >"$work/utf16.txt"
printf '\xe3\x81\x82\n\xe3\x82\xa2\n' >"$work/utf8.txt"
: >"$work/empty.txt"

check "report lines" \
  "$work/lf.txt${tab}SHIFT-JIS${tab}LF
$work/euc.txt${tab}EUC${tab}CR-LF
$work/jis.txt${tab}JIS${tab}CR
$work/utf16.txt${tab}UTF16(BOM)${tab}-
$work/utf8.txt${tab}UTF8${tab}LF
$work/empty.txt${tab}SHIFT-JIS${tab}-
$data/sjis-kanshu.txt${tab}SHIFT-JIS${tab}CR-LF" \
  "$("$info" "$work/lf.txt" "$work/euc.txt" "$work/jis.txt" "$work/utf16.txt" "$work/utf8.txt" \
     "$work/empty.txt" "$data/sjis-kanshu.txt")"

for f in sjis-kanshu.txt cp932-nec-chars.txt; do
  iconv -f CP932 -t UTF-8 "$data/$f" >"$work/expected" || failures=$((failures + 1))
  "$info" --text "$data/$f" >"$work/actual"
  cmp -s "$work/expected" "$work/actual" || { echo "FAIL: --text of $f differs from iconv"; failures=$((failures + 1)); }
done

check "the lowest option bit wins" "$work/utf16.txt${tab}SHIFT-JIS${tab}-" \
  "$("$info" --utf7 --sjis "$work/utf16.txt")"
check "--utf16be without mark" "$work/lf.txt${tab}UTF16(BE)${tab}-" "$("$info" --utf16be "$work/lf.txt")"
check "--utf8 with mark decided by the bytes" "$work/utf8.txt${tab}UTF8${tab}LF" "$("$info" --utf8 "$work/utf8.txt")"
check "--euc --text" "漢字" "$("$info" --euc --text "$work/euc.txt" | tr -d '\r\n')"
check "--text applies overstrike" "Ab" "$(printf '_\bAb\bb' >"$work/bs.txt"; "$info" --text "$work/bs.txt")"

"$info" "$work/missing.txt" "$work/lf.txt" >"$work/out" 2>"$work/err"
check "an unreadable file gives exit code 2" 2 $?
check "the other files are still done" "$work/lf.txt${tab}SHIFT-JIS${tab}LF" "$(cat "$work/out")"
check "one line on standard error" 1 "$(wc -l <"$work/err")"

"$info" --bogus "$work/lf.txt" >/dev/null 2>&1
check "unknown option" 2 $?

"$info" --timing --text "$work/lf.txt" >/dev/null 2>"$work/err"
check "timing phases" "read detect decode overstrike write" "$(awk '{printf "%s%s", sep, $1; sep=" "}' "$work/err")"
check "timing values are milliseconds" "" "$(awk '$2 !~ /^[0-9]+\.[0-9]$/' "$work/err")"

# "-" is standard input, read like a file: from a pipe, a redirection, and more than once.
check "a pipe as -" "-${tab}EUC${tab}CR-LF" "$(cat "$work/euc.txt" | "$info" -)"
check "a redirection as - with --text" "漢字" "$("$info" --text - <"$work/euc.txt" | tr -d '\r\n')"
check "a second - finds the input used up" "-${tab}UTF8${tab}LF
-${tab}SHIFT-JIS${tab}-" "$("$info" - - <"$work/utf8.txt")"
head -c 300000 /dev/zero | tr '\0' 'a' >"$work/long.txt"
check "long input arrives whole" "300000" "$("$info" --text - <"$work/long.txt" | wc -c | tr -d ' ')"
check "- next to files" "$work/lf.txt${tab}SHIFT-JIS${tab}LF
-${tab}JIS${tab}CR" "$("$info" "$work/lf.txt" - <"$work/jis.txt")"

# The version is the one CMakeLists.txt gives the project, and needs no file.
version=$(sed -n 's/^project(vemora VERSION \([0-9.]*\) .*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
out=$("$info" --version)
check "--version" "vemorainfo $version 0" "$out $?"
check "--version with a file prints only the version" "vemorainfo $version" "$("$info" --version "$work/lf.txt")"

exit $((failures > 0))
