#!/usr/bin/env bash
# vemorainfo.exe under Wine: the report line for each encoding (also those that only the
# newer detection rules find), wide paths, and UTF-8 text on a binary standard output.
set -u
info=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data=$(cd "$(dirname "$0")/../data" && pwd)
cp "$data/sjis-kanshu.txt" "$work/"
cd "$work"
printf '\xb4\xc1\xbb\xfa\r\n' >euc.txt
printf '\x1b$B$"\x1b(B\n' >jis.txt
printf '\xfe\xff\x30\x42' >"日本.txt"
# Half-width katakana cut by an LF, narrow UTF-8 that no line decides, UTF-16 without a mark.
printf '\xd8\xb1\xd9\n' >kana.txt
printf '\xe6\xb8\xa9\xe5\xba\xa6 1101\xc2\xb0C \xc2\xb10.5\n' >signs.txt
printf 'a\0b\0\r\0\n\0' >utf16.txt
tab=$'\t'
failures=0
expected="sjis-kanshu.txt${tab}SHIFT-JIS${tab}CR-LF
euc.txt${tab}EUC${tab}CR-LF
jis.txt${tab}JIS${tab}LF
日本.txt${tab}UTF16(BOM)(BE)${tab}-
kana.txt${tab}SHIFT-JIS${tab}LF
signs.txt${tab}UTF8${tab}LF
utf16.txt${tab}UTF16${tab}CR-LF"
actual=$(wine "$info" sjis-kanshu.txt euc.txt jis.txt "日本.txt" kana.txt signs.txt utf16.txt 2>/dev/null)
[ "$expected" = "$actual" ] || { echo "FAIL: report"; echo "$actual"; failures=1; }
wine "$info" --text sjis-kanshu.txt >actual.txt 2>/dev/null
iconv -f CP932 -t UTF-8 sjis-kanshu.txt >expected.txt
cmp -s expected.txt actual.txt || { echo "FAIL: --text differs from iconv"; failures=1; }
wine "$info" missing.txt >/dev/null 2>&1
rc=$?
[ $rc = 2 ] || { echo "FAIL: exit code $rc for a missing file"; failures=1; }
exit $failures
