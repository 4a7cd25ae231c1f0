#!/usr/bin/env bash
# Paging with the keys of each of the three key presets, pressed as real keys on the
# virtual display, so that they travel through the accelerator table; the top line is
# read back from the status bar.
set -euo pipefail
source "$(dirname "$0")/viewer_session.bash" "$1"

for i in $(seq 1 400); do printf 'line %d\r\n' "$i"; done >"$work/lines.txt"
cp "$vemora" "$work/vemora.exe"
file=$(windows_path "$work/lines.txt")

top_line() { "$wine_run" "$probe" status 2 | tr -d '\r' | sed -n 's/^先頭:\([0-9]*\)行目$/\1/p'; }

# Presses the keys and waits until the top line is the expected one.
expect_after() { # expected, keys...
  local expected=$1 got=
  shift
  xdotool key --clearmodifiers "$@"
  for _ in $(seq 50); do
    got=$(top_line)
    [ "$got" = "$expected" ] && return 0
    sleep 0.1
  done
  fail "preset $preset: after $*: top line $got, expected $expected"
}

# Presses the keys and prints the top line once it has settled.
line_after() {
  xdotool key --clearmodifiers "$@"
  local previous= current
  for _ in $(seq 50); do
    sleep 0.2
    current=$(top_line)
    [ -n "$current" ] && [ "$current" = "$previous" ] && { echo "$current"; return; }
    previous=$current
  done
  echo "$current"
}

start_viewer() {
  # An INI file beside the executable wins over the registry; RegVer 90 names the preset.
  printf '#\r\n\r\n[Vemora]\r\nRegVer=90\r\n\r\n[Vemora\\Options]\r\nUI=%d\r\nReg=1\r\nExtSet=1\r\n' "$preset" \
    >"$work/Vemora.ini"
  "$wine_run" "$work/vemora.exe" "$file" </dev/null >/dev/null 2>>"$viewer_log" &
  viewer=$!
  "$wine_run" "$probe" wait-title lines.txt 60000 || fail "preset $preset: the viewer did not show the file"
  local window
  window=$(wait_for_window 'lines.txt - Vemora' 50)
  [ -n "$window" ] || fail "preset $preset: no window on the display"
  focus_window "$window"
  [ "$(top_line)" = 1 ] || fail "preset $preset: does not start at line 1"
}

stop_viewer() {
  "$wine_run" "$probe" close >/dev/null
  wait "$viewer" || fail "preset $preset: exit code $?"
  viewer=
}

end_line=
check_end() { # the end of the file is the same place in every preset
  local got=$1
  [ "$got" -gt 100 ] || fail "preset $preset: End went to $got"
  if [ -z "$end_line" ]; then end_line=$got; elif [ "$got" != "$end_line" ]; then
    fail "preset $preset: the end is line $got, in another preset $end_line"
  fi
}

# Preset 0, "Windows式キー操作".
preset=0
start_viewer
page=$(( $(line_after space) - 1 ))
[ "$page" -gt 2 ] || fail "Space moved by $page lines"
expect_after $((1 + 2 * page)) Next
expect_after $((2 + 2 * page)) Down
expect_after $((1 + 2 * page)) Up
expect_after $((1 + page)) shift+space
check_end "$(line_after End)"
expect_after "$end_line" Down
expect_after 1 Home
expect_after 1 Prior
stop_viewer

# Preset 1, "Less式キー操作".
preset=1
start_viewer
expect_after 2 j
expect_after 1 k
expect_after $((1 + page)) space
expect_after $((1 + 2 * page)) f
expect_after $((1 + page)) b
check_end "$(line_after shift+g)"
expect_after 1 g
check_end "$(line_after End)"
expect_after 1 Home
expect_after 2 Down
stop_viewer

# Preset 2, "DOS式キー操作": the arrows left and right move five lines.
preset=2
start_viewer
expect_after 6 Right
expect_after 1 Left
expect_after 2 Down
expect_after 1 Up
expect_after $((1 + page)) space
expect_after $((1 + 2 * page)) Next
expect_after $((1 + page)) ctrl+r
check_end "$(line_after End)"
expect_after 1 Home
check_end "$(line_after shift+Right)"
stop_viewer

echo "preset keys: ok"
