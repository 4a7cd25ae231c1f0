#!/usr/bin/env bash
# vemorainfo.exe --to under Wine: the bytes reach a binary standard output unchanged, the
# Shift_JIS round trip goes through Windows' own code page 932, and unconvertible
# characters make the exit status 1.
set -u
info=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data=$(cd "$(dirname "$0")/../data" && pwd)
cd "$work"
failures=0
wine "$info" --to utf16 --eol crlf "$data/cp932-nec-chars.txt" >nec.utf16 2>/dev/null
iconv -f CP932 -t UTF-16LE "$data/cp932-nec-chars.txt" >expected.utf16
cmp -s expected.utf16 nec.utf16 || { echo "FAIL: --to utf16 differs from iconv"; failures=1; }
wine "$info" --utf16 --to sjis nec.utf16 >nec.sjis 2>/dev/null
cmp -s "$data/cp932-nec-chars.txt" nec.sjis || { echo "FAIL: the round trip changed bytes"; failures=1; }
printf '\xc3\xa9\n' >latin.txt
out=$(wine "$info" --utf8 --to euc latin.txt 2>/dev/null | od -An -tx1 | tr -d ' \n')
wine "$info" --utf8 --to euc latin.txt >/dev/null 2>&1
rc=$?
[ "$out $rc" = "3f0a 1" ] || { echo "FAIL: unconvertible: $out, exit $rc"; failures=1; }
exit $failures
