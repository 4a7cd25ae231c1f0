#!/usr/bin/env bash
# Logs that another program keeps writing, followed from the View menu: the status bar's
# size and top line follow the writes, a character split across two writes included; an
# ASCII log that then gets UTF-8 lines reads as a fresh load of the file would.
set -euo pipefail
source "$(dirname "$0")/viewer_session.bash" "$1"

status() { "$wine_run" "$probe" status "$1" | tr -d '\r'; }
# Waits until the status-bar part matches the pattern.
wait_status() { # part, pattern, what
  local got=
  for _ in $(seq 50); do
    got=$(status "$1") || got=
    # shellcheck disable=SC2254
    case "$got" in $2) return 0 ;; esac
    sleep 0.1
  done
  fail "$3: status part $1 is '$got'"
}
# Starts the viewer on the log at its end and turns following on (no preset binds a key
# to it). Only the writes that show up later prove that following is on.
follow() { # log file
  "$wine_run" "$vemora" -e "$(windows_path "$1")" >/dev/null 2>>"$viewer_log" &
  viewer=$!
  "$wine_run" "$probe" wait-title "$(basename "$1") - Vemora" 60000 || fail "the log is not shown"
  "$wine_run" "$probe" command 40090 || fail "the viewer took no command"
}
# The size part shows the file's size, so the writes so far have been read.
wait_read() { # log file, what
  local size
  size=$(stat -c %s "$1")
  wait_status 4 "* $size Bytes" "$2 ($size bytes written)"
}

# A Shift_JIS log: fifty more lines, the last one's "あ" cut between two writes, each
# write read before the next.
log="$work/server.log"
for i in $(seq 1 100); do printf 'line %d \x83\x8D\x83\x4F\r\n' "$i"; done >"$log" # "ログ"
follow "$log"
top=$(status 2)
for i in $(seq 101 149); do printf 'line %d \x83\x8D\x83\x4F\r\n' "$i"; done >>"$log"
printf 'line 150 \x82' >>"$log"
wait_read "$log" "the first half of a character"
printf '\xa0\r\n' >>"$log"
wait_read "$log" "the second half"
old=${top//[!0-9]/}
[ "$(status 2)" = "先頭:$((old + 50))行目" ] || fail "top line $(status 2), was $top: the end left the view"
"$wine_run" "$probe" close >/dev/null 2>&1 || true
wait "$viewer" 2>/dev/null || true

# An ASCII log (answered Shift_JIS) that gets UTF-8 lines is detected again, and the
# character split across two writes still reads whole.
log="$work/ascii.log"
for i in $(seq 1 100); do printf 'line %d\r\n' "$i"; done >"$log"
follow "$log"
wait_status 0 "SHIFT-JIS" "an ASCII log"
printf 'line 101 \xe3\x83' >>"$log" # "ロ"
wait_read "$log" "the first half of a UTF-8 character"
wait_status 0 "UTF8" "UTF-8 appended to an ASCII log"
printf '\xad\r\n' >>"$log"
wait_read "$log" "the second half"
"$wine_run" "$probe" command 40066 # select all
"$wine_run" "$probe" command 40019 # copy
for _ in $(seq 30); do
  copied=$("$wine_run" "$probe" clipboard | tr -d '\r') || copied=
  case "$copied" in 'line 1\r\n'*'line 100\r\nline 101 ロ\r\n') break ;; esac
  sleep 0.1
done
case "$copied" in
  'line 1\r\n'*'line 100\r\nline 101 ロ\r\n') ;;
  *) fail "the text copied ends '${copied: -40}'" ;;
esac
echo "follow growing logs: ok"
