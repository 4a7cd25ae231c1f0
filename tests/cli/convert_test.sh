#!/usr/bin/env bash
# vemorainfo --to as users script it: every target against iconv on real Shift_JIS, the
# byte-order marks, line ends, standard input, a round trip through UTF-8, unconvertible
# characters, an output that cannot be written and the exit status.
source "$(dirname "$0")/check.bash"
same() { # what, expected file, actual file
  cmp -s "$2" "$3" || { echo "FAIL: $1"; failures=$((failures + 1)); }
}
hex() { od -An -tx1 | tr -d ' \n'; }

sjis=$data/sjis-kanshu.txt
for target in "utf8 UTF-8" "utf16 UTF-16LE" "utf16be UTF-16BE" "sjis CP932" "euc EUC-JP" \
              "jis ISO-2022-JP" "utf7 UTF-7"; do
  set -- $target
  iconv -f CP932 -t "$2" "$sjis" >"$work/expected"
  "$info" --to "$1" "$sjis" >"$work/actual"
  same "--to $1 differs from iconv -t $2" "$work/expected" "$work/actual"
done

printf 'a' >"$work/a.txt"
check "utf8bom" efbbbf61 "$("$info" --to utf8bom "$work/a.txt" | hex)"
check "utf16bom" fffe6100 "$("$info" --to utf16bom "$work/a.txt" | hex)"
check "utf16bebom" feff0061 "$("$info" --to utf16bebom "$work/a.txt" | hex)"

printf 'a\r\nb\rc\nd' >"$work/mixed.txt"
check "line ends kept" 610d0a620d630a64 "$("$info" --to utf8 "$work/mixed.txt" | hex)"
check "--eol crlf" 610d0a620d0a630d0a64 "$("$info" --to utf8 --eol crlf "$work/mixed.txt" | hex)"
check "--eol lf" 610a620a630a64 "$("$info" --to sjis --eol lf "$work/mixed.txt" | hex)"
check "--eol cr" 0061000d0062000d0063000d0064 "$("$info" --to utf16be --eol cr "$work/mixed.txt" | hex)"

check "standard input, detected as EUC-JP" 1b244234413b7a1b2842 \
  "$(printf '\xb4\xc1\xbb\xfa' | "$info" --to jis - | hex)"
check "a forced input encoding" 3042 "$(printf '\xe3\x81\x82' | "$info" --utf8 --to utf16be - | hex)"

"$info" --to utf8 "$data/cp932-nec-chars.txt" >"$work/nec.utf8"
"$info" --utf8 --to sjis "$work/nec.utf8" >"$work/nec.sjis"
same "Shift_JIS to UTF-8 and back" "$data/cp932-nec-chars.txt" "$work/nec.sjis"

printf '\xef\xbb\xbfa\n\xc3\xa9\xea\xb0\x80\n' >"$work/latin.txt"
"$info" --to sjis "$work/latin.txt" >"$work/out" 2>"$work/err"
check "unconvertible characters give exit status 1" 1 $?
check "and are written as ?" "a
??" "$(cat "$work/out")"
check "and counted on standard error" \
  "vemorainfo: $work/latin.txt: 2 characters could not be converted and were written as \"?\" (the first on line 2)" \
  "$(cat "$work/err")"
"$info" --to utf8 "$work/latin.txt" >/dev/null 2>&1
check "UTF-8 holds them" 0 $?
"$info" --to sjis "$work/latin.txt" "$work/missing.txt" >/dev/null 2>&1
check "an unreadable file still gives 2" 2 $?
if [ -w /dev/full ]; then
  "$info" --to sjis "$sjis" >/dev/full 2>"$work/err"
  check "a full output is an error, not a conversion" "2 vemorainfo: the output could not be written" \
    "$? $(cat "$work/err")"
fi
"$info" --to latin1 "$work/a.txt" >/dev/null 2>"$work/err"
check "an unknown target is a usage error" "2 vemorainfo: bad value for --to: latin1" \
  "$? $(head -1 "$work/err")"
exit $((failures > 0))
