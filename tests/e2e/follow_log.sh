#!/usr/bin/env bash
# A Shift_JIS log that another program keeps writing: with following turned on, the status
# bar's size and top line follow the writes, a character split across two writes included.
set -euo pipefail
source "$(dirname "$0")/viewer_session.bash" "$1"

log="$work/server.log"
for i in $(seq 1 100); do printf 'line %d \x83\x8D\x83\x4F\r\n' "$i"; done >"$log"  # "ログ"
"$wine_run" "$vemora" -e "$(windows_path "$log")" >/dev/null 2>>"$viewer_log" &
viewer=$!
"$wine_run" "$probe" wait-title "server.log - Vemora" 60000 || fail "the log is not shown"
status() { "$wine_run" "$probe" status "$1" | tr -d '\r'; }
top=$(status 2)

# The View menu's item (no preset binds a key to it).
"$wine_run" "$probe" command 40090 || fail "the viewer took no command"
sleep 0.3

# Fifty more lines, the last one's "あ" cut between two writes.
for i in $(seq 101 149); do printf 'line %d \x83\x8D\x83\x4F\r\n' "$i"; done >>"$log"
printf 'line 150 \x82' >>"$log"
sleep 0.7
printf '\xa0\r\n' >>"$log"
size=$(stat -c %s "$log")
for _ in $(seq 50); do
  case "$(status 4)" in *" $size Bytes") break ;; esac
  sleep 0.1
done
case "$(status 4)" in *" $size Bytes") ;; *) fail "size part: $(status 4), file $size bytes" ;; esac
old=${top//[!0-9]/}
[ "$(status 2)" = "先頭:$((old + 50))行目" ] || fail "top line $(status 2), was $top: the end left the view"
echo "follow a growing log: ok"
