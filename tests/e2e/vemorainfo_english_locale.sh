#!/usr/bin/env bash
# vemorainfo.exe on a system whose code pages are not Japanese (Wine with an English or C
# locale gives 437/1252): Shift_JIS, EUC-JP and JIS text must read exactly as on a
# Japanese one, a broken character must not swallow its line end, and "-" reads a pipe.
set -u
info=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data=$(cd "$(dirname "$0")/../data" && pwd)
cp "$data/sjis-kanshu.txt" "$data/cp932-nec-chars.txt" "$work/"
cd "$work"
failures=0
check() { # what, expected, actual
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1"; echo "  expected: $2"; echo "  actual:   $3"; failures=$((failures + 1))
  fi
}
english() { LANG=C LC_ALL=C wine "$info" "$@" 2>/dev/null; }
japanese() { LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 wine "$info" "$@" 2>/dev/null; }

for f in sjis-kanshu.txt cp932-nec-chars.txt; do
  iconv -f CP932 -t UTF-8 "$f" >expected.txt
  english --text "$f" >english.txt
  japanese --text "$f" >japanese.txt
  cmp -s expected.txt english.txt || { echo "FAIL: $f read in an English locale differs from iconv"; failures=$((failures + 1)); }
  cmp -s japanese.txt english.txt || { echo "FAIL: $f reads differently by locale"; failures=$((failures + 1)); }
done

printf '\xb4\xc1\xbb\xfa\r\n' >euc.txt
printf '\x1b$B4A;z\x1b(B\n' >jis.txt
printf 'a\x82\nb\x93\xfa\r\n' >broken-sjis.txt
printf 'a\xa4\nb\xc6\xfc\n' >broken-euc.txt
check "EUC-JP" "漢字" "$(english --text euc.txt | tr -d '\r\n')"
check "JIS" "漢字" "$(english --text jis.txt | tr -d '\n')"
check "a Shift_JIS lead byte before LF keeps its line" "a・|b日" "$(english --sjis --text broken-sjis.txt | tr -d '\r' | paste -sd '|')"
check "an EUC-JP lead byte before LF keeps its line" "a・|b日" "$(english --euc --text broken-euc.txt | paste -sd '|')"

tab=$'\t'
check "a pipe as -" "-${tab}EUC${tab}CR-LF" "$(cat euc.txt | english -)"
check "a pipe as - with --text" "$(cat expected.txt)" "$(cat cp932-nec-chars.txt | english --text -)"
exit $((failures > 0))
