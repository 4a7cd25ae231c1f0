#!/usr/bin/env bash
# vemorainfo --filter: the kept lines as grep -n prints them (line ends aside), inverted as
# grep -v -n, counted as grep -c, in every line-end kind and in Shift_JIS.
source "$(dirname "$0")/check.bash"
export LC_ALL=C.UTF-8

printf '東京から大阪へ\n大阪から京都へ\n\n京都から東京へ\n「東京」\nTokyo tokyo\n最後の行に東京' >"$work/lf.txt"
sed 's/$/\r/' "$work/lf.txt" | head -c -1 >"$work/crlf.txt"
for f in lf crlf; do
  for pattern in 東京 大阪 tokyo; do
    check "$f, $pattern" "$(grep -n -F "$pattern" "$work/$f.txt" | tr -d '\r')" \
      "$("$info" --utf8 --caps --filter "$pattern" "$work/$f.txt")"
    check "$f, $pattern inverted" "$(grep -v -n -F "$pattern" "$work/$f.txt" | tr -d '\r')" \
      "$("$info" --utf8 --caps --invert --filter "$pattern" "$work/$f.txt")"
    check "$f, $pattern counted" "$(grep -c -F "$pattern" "$work/$f.txt")" \
      "$("$info" --utf8 --caps --filter "$pattern" --count "$work/$f.txt")"
  done
  for pattern in '^「' '京都(から|へ)' '[一-龠]{2}$' '(?i)TOKYO'; do
    check "$f, expression $pattern" "$(tr -d '\r' <"$work/$f.txt" | grep -n -P "$pattern")" \
      "$("$info" --utf8 --regex --filter "$pattern" "$work/$f.txt")"
  done
done
check "without --caps ASCII letters match either case" "6:Tokyo tokyo" \
  "$("$info" --utf8 --filter TOKYO "$work/lf.txt")"

# CR alone ends a line too; the numbers are the file's own.
printf 'a\rb\r\nab\nc' >"$work/mixed.txt"
check "CR, CR LF and LF lines" "1:a
3:ab" "$("$info" --filter a "$work/mixed.txt")"
iconv -f UTF-8 -t CP932 "$work/lf.txt" >"$work/sjis.txt"
check "Shift_JIS prints UTF-8" "$(grep -n -F 大阪 "$work/lf.txt")" \
  "$("$info" --filter 大阪 "$work/sjis.txt")"
check "--count before --filter" "2" "$("$info" --utf8 --count --filter 京都 "$work/lf.txt")"
: >"$work/empty.txt"
check "an empty file keeps nothing" "0" "$("$info" --filter x --count "$work/empty.txt")"
# Several files: each line carries its file's path as grep's does, and the exit status is
# grep's: 0 when some file kept a line, 1 when none did.
cp "$work/lf.txt" "$work/utf8.txt"
for args in "京都 lf utf8" "京都 lf empty" "名古屋 lf utf8" "名古屋 lf" "x empty"; do
  set -- $args
  pattern=$1
  shift
  files=("${@/#/$work/}")
  files=("${files[@]/%/.txt}")
  for count in "" -c; do
    expected=$(grep -n $count -F "$pattern" "${files[@]}"; echo "exit $?")
    check "$pattern ${count:--n} in $*" "$expected" \
      "$("$info" --utf8 --filter "$pattern" ${count:+--count} "${files[@]}"; echo "exit $?")"
  done
done
check "a rejected expression fails" 2 "$("$info" --regex --filter 'a(' "$work/lf.txt" 2>/dev/null; echo $?)"
{ printf 'a%.0s' $(seq 40); printf '!\nfound it\n'; } >"$work/hostile.txt"
"$info" --regex --filter 'found|(\w+\s?)+$' "$work/hostile.txt" >"$work/out" 2>"$work/err"
check "a line the library gives up on is reported, the others kept" \
  "2 2:found it vemorainfo: search could not be completed on 1 line" \
  "$? $(cat "$work/out") $(cat "$work/err")"
check "--timing reports the filter phase" "1" \
  "$("$info" --timing --filter 東京 "$work/lf.txt" 2>&1 >/dev/null | grep -c '^filter ')"

[ "$failures" -eq 0 ] && echo "all filter checks passed"
exit $((failures > 0))
