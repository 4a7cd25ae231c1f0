#!/usr/bin/env bash
# A UTF-8 log filtered through the menu's command and dialog: the title's mark, the file's
# line number of the top row, select-all and copy taking only the kept lines, the lines a
# followed log appends that match, and the way back to the whole file.
set -euo pipefail
source "$(dirname "$0")/viewer_session.bash" "$1"

log="$work/app.log"
line() { # n: every fourth line is an error
  if [ $(($1 % 4)) -eq 0 ]; then printf 'line %d エラー\r\n' "$1"; else printf 'line %d 正常\r\n' "$1"; fi
}
for i in $(seq 1 60); do line "$i"; done >"$log"
"$wine_run" "$vemora" --utf8 "$(windows_path "$log")" >/dev/null 2>>"$viewer_log" &
viewer=$!
"$wine_run" "$probe" wait-title "app.log - Vemora" 60000 || fail "the log is not shown"
status() { "$wine_run" "$probe" status "$1" | tr -d '\r'; }
copied() { # select all, copy, and the clipboard as the probe writes it
  "$wine_run" "$probe" command 40066 && "$wine_run" "$probe" command 40019
  sleep 0.3
  "$wine_run" "$probe" clipboard | tr -d '\r'
}
copies() { # expected: select all and copy until the clipboard holds it, for about 6 s
  for _ in $(seq 30); do [ "$(copied)" = "$1" ] && return 0; sleep 0.2; done
  return 1
}
expected() { # from to: the error lines, as the probe writes CR and LF
  local i
  for i in $(seq "$1" "$2"); do [ $((i % 4)) -eq 0 ] && printf 'line %d エラー\\r\\n' "$i"; done
  return 0
}

"$wine_run" "$probe" command 40092 || fail "the viewer took no command"
"$wine_run" "$probe" wait-dialog "絞り込み" 10000 || fail "no filter dialog"
"$wine_run" "$probe" set-text "絞り込み" 1061 "エラー"
"$wine_run" "$probe" click "絞り込み" 1
"$wine_run" "$probe" wait-title "app.log [絞り込み] - Vemora" 10000 || fail "no filter in the title"
[ "$(status 2)" = "先頭:4行目" ] || fail "top line $(status 2)"
copies "$(expected 1 60)" || fail "copied: $(copied)"

"$wine_run" "$probe" command 40090
sleep 0.3
for i in $(seq 61 80); do line "$i"; done >>"$log"
copies "$(expected 1 80)" || fail "after the log grew: $(copied)"

"$wine_run" "$probe" command 40093
"$wine_run" "$probe" wait-title "app.log - Vemora" 10000 || fail "the filter stayed"
[ "$(status 2)" = "先頭:4行目" ] || fail "top line after the way back: $(status 2)"
echo "filter a followed log: ok"
