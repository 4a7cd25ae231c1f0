#!/usr/bin/env bash
# The view in a user's hands, with the real mouse and keys on the virtual display: a
# drag, a double-click on a word and a triple click on a wrapped line, each copied with
# Ctrl+C and read back from the clipboard by another process; the inversion left by the
# drag compared with a fresh paint; Ctrl+F with a typed text and Enter, find next with F3,
# the jump dialog with Ctrl+G, and the inverted cell under the mouse. Positions come from
# the status bar's mouse line.
set -euo pipefail
source "$(dirname "$0")/viewer_session.bash" "$1"

long="long"
for i in $(seq 1 70); do long+=" word$i"; done
{
  printf 'alpha beta gamma\r\nsecond line here\r\n%s\r\n' "$long"
  for i in $(seq 4 120); do
    case $i in 60 | 80) printf 'the needle %d\r\n' "$i" ;; *) printf 'row %d\r\n' "$i" ;; esac
  done
} >"$work/text.txt"
cp "$vemora" "$work/vemora.exe"
# Settings in an INI file beside the copy, so no earlier run's search history shows.
printf '#\r\n\r\n[Vemora]\r\nRegVer=90\r\n\r\n[Vemora\\Options]\r\nUI=0\r\nReg=1\r\nExtSet=1\r\nCaret=1\r\n' \
  >"$work/Vemora.ini"
file=$(windows_path "$work/text.txt")

status() { "$wine_run" "$probe" status "$1" | tr -d '\r'; }
clipboard() { "$wine_run" "$probe" clipboard | tr -d '\r'; }
top_line() { status 2 | sed -n 's/^先頭:\([0-9]*\)行目$/\1/p'; }
# Waits until the top line is the expected one.
expect_top() { # expected, what
  local got=
  for _ in $(seq 50); do
    got=$(top_line) || got=
    [ "$got" = "$1" ] && return 0
    sleep 0.1
  done
  fail "$2: top line $got, expected $1"
}
expect_clipboard() { # expected, what
  local got=
  for _ in $(seq 30); do
    got=$(clipboard) || got=  # the viewer may hold the clipboard a moment
    [ "$got" = "$1" ] && return 0
    sleep 0.1
  done
  fail "$2: the clipboard holds '$got', expected '$1'"
}

"$wine_run" "$work/vemora.exe" "$file" </dev/null >/dev/null 2>>"$viewer_log" &
viewer=$!
"$wine_run" "$probe" wait-title text.txt 60000 || fail "the viewer did not show the file"
window=$(wait_for_window 'text.txt - Vemora' 50)
[ -n "$window" ] || fail "no window on the display"
focus_window "$window"
read -r vx vy vw vh < <("$wine_run" "$probe" view-client | tr -d '\r')
[ "$vh" -gt 200 ] || fail "the view is $vw x $vh"

# The row height, from the mouse line the status bar shows while the pointer moves down.
pitch=
for y in $(seq 6 2 80); do
  xdotool mousemove $((vx + 40)) $((vy + y))
  sleep 0.05
  if [ "$(status 3)" = "マウス:2行目" ]; then pitch=$y; break; fi
done
[ -n "$pitch" ] || fail "the mouse line never reached line 2"
row_y() { echo $((vy + $1 * pitch + pitch / 2)); }  # screen y in the middle of a row

# Screenshots of the top rows of the view. The viewer paints in its own time, so each is
# taken again until what it should show is there, or given up after three seconds.
crop="${vw}x$((4 * pitch))+$vx+$vy"
shot() { import -window root -crop "$crop" "$work/$1.png"; }
differ() { compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 || true; }
shot_until() { # name, test...
  local name=$1
  shift
  for _ in $(seq 30); do
    shot "$name"
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
first_row_inverted() { # name
  local mean
  mean=$(convert "$work/$1.png" +repage -crop "40x$((pitch - 6))+8+0" -format '%[fx:mean]' info:)
  awk -v m="$mean" 'BEGIN { exit !(m < 0.6) }'
}
same_as() { [ "$(differ "$1" "$2")" = 0 ]; }
# The same picture again a moment later: painting has settled.
settled() { sleep 0.1; shot "$1-again"; same_as "$1" "$1-again"; }

# A drag from the left margin of the first row to the right of the second selects both
# lines with their line ends; the inversion on screen is what a fresh paint shows.
xdotool mousemove $((vx + 2)) "$(row_y 0)" mousedown 1
xdotool mousemove $((vx + vw / 2)) "$(row_y 1)"
xdotool mousemove $((vx + vw - 30)) "$(row_y 1)" mouseup 1
shot_until dragged first_row_inverted dragged || fail "the first row does not look selected"
shot_until dragged settled dragged || fail "the view kept changing after the drag"
"$wine_run" "$probe" repaint-view
shot_until painted same_as painted dragged ||
  fail "the drag's inversion differs from a fresh paint in $(differ dragged painted) pixels"
xdotool key --clearmodifiers ctrl+c
expect_clipboard 'alpha beta gamma\r\nsecond line here\r\n' "drag and Ctrl+C"

# A double-click in the margin takes the row's first word. Each click series waits out the
# double-click time after the last click, or the system would count them together.
sleep 0.6
xdotool mousemove $((vx + 2)) "$(row_y 0)" click --repeat 2 --delay 60 1
xdotool key --clearmodifiers ctrl+c
expect_clipboard 'alpha' "double-click and Ctrl+C"

# A triple click on the second row of the wrapped line takes the whole logical line.
sleep 0.6
xdotool mousemove $((vx + 60)) "$(row_y 3)" click --repeat 3 --delay 60 1
xdotool key --clearmodifiers ctrl+c
expect_clipboard "$long" "triple click and Ctrl+C"

# Ctrl+F, the search text typed into the dialog, Enter; then F3 to the next hit.
start=$(top_line)
xdotool key --clearmodifiers ctrl+f
dialog=$(wait_for_window '^検索$' 50)
[ -n "$dialog" ] || fail "Ctrl+F opened no find dialog"
"$wine_run" "$probe" wait-focus 検索 5000 || fail "the find dialog did not take the keys"
xdotool type --delay 30 needle
xdotool key Return
first=
for _ in $(seq 50); do
  first=$(top_line) || first=
  [ -n "$first" ] && [ "$first" != "$start" ] && break
  sleep 0.1
done
[ -n "$first" ] && [ "$first" != "$start" ] || fail "the search did not move the view"
focus_window "$window"
xdotool key F3
expect_top $((first + 20)) "F3 after the search"

# Ctrl+G, a line number, Enter.
xdotool key --clearmodifiers ctrl+g
dialog=$(wait_for_window '^ジャンプ$' 50)
[ -n "$dialog" ] || fail "Ctrl+G opened no jump dialog"
"$wine_run" "$probe" wait-focus ジャンプ 5000 || fail "the jump dialog did not take the keys"
xdotool type --delay 30 25
xdotool key Return
expect_top 25 "the jump dialog"

# The cell under the mouse is inverted, and taken away before a repaint, so moving into
# the margin afterwards leaves no stray inversion.
xdotool mousemove $((vx + 2)) "$(row_y 0)"
shot_until plain settled plain || fail "the view kept changing with the mouse in the margin"
xdotool mousemove $((vx + 11)) "$(row_y 0)"
cell_inverted() { [ "$(differ plain over)" -gt 20 ]; }
shot_until over cell_inverted || fail "the cell under the mouse is not inverted"
shot_until over settled over || fail "the view kept changing with the mouse over a cell"
cell=$(differ plain over)
[ "$cell" -le $((3 * pitch * pitch)) ] || fail "the cell under the mouse changed $cell pixels"
"$wine_run" "$probe" repaint-view
xdotool mousemove $((vx + 2)) "$(row_y 0)"
shot_until after same_as after plain || fail "a repaint left the mouse cell behind"

"$wine_run" "$probe" close >/dev/null
wait "$viewer" || fail "exit code $?"
viewer=
echo "view in hand: ok"
