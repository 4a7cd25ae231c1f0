#!/usr/bin/env bash
# vemorainfo.exe --count and --lines under Wine: a Japanese literal from the wide command
# line, a regular expression through the cross-built library, the column layout.
set -u
info=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
printf '東京から大阪まで、大阪から東京まで。\n「大阪まで」と言った。\n' | iconv -f UTF-8 -t CP932 >sjis.txt
failures=0
check() { [ "$2" = "$3" ] || { echo "FAIL: $1: expected $2, got $3"; failures=1; }; }
check "plain count" 2 "$(wine "$info" --count 大阪まで sjis.txt 2>/dev/null | tr -d '\r')"
check "regex count" 5 "$(wine "$info" --count '東京|大阪' --regex sjis.txt 2>/dev/null | tr -d '\r')"
check "lines" "2 2" "$(wine "$info" --lines --fold 40 sjis.txt 2>/dev/null | tr -d '\r')"
exit $failures
