#!/usr/bin/env bash
# The E key hands the shown file to the editor configured for its file type, at the line
# at the top of the window; when the editor (a stand-in that appends a line) ends, the
# viewer shows the file's new size and is still at the same line. A batch file as the
# editor gets a file name holding "&" or spaces as one whole argument, and nothing in
# the name runs as a command of its own.
set -euo pipefail
source "$(dirname "$0")/viewer_session.bash" "$1"

cp "$vemora" "$work/vemora.exe"
cp "$(dirname "$vemora")/vemora_test_tool.exe" "$work/"
for i in $(seq 1 400); do printf 'line %d\r\n' "$i"; done >"$work/lines.txt"
file=$(windows_path "$work/lines.txt")
tool=$(windows_path "$work/vemora_test_tool.exe")
log=$(windows_path "$work/tool.log")
status() { "$wine_run" "$probe" status "$1" | tr -d '\r'; }
# Waits until the status-bar part no longer shows the text (tries of 0.1 s).
wait_status_change() { # part, text, tries
  for _ in $(seq "$3"); do
    [ "$(status "$1")" != "$2" ] && return 0
    sleep 0.1
  done
  return 1
}

# The viewer runs in the work folder, so that a command cut out of a file name would find
# the batch files there.
start_viewer() { # file, its title
  (cd "$work" && exec "$wine_run" "$work/vemora.exe" "$1") </dev/null >/dev/null 2>>"$viewer_log" &
  viewer=$!
  "$wine_run" "$probe" wait-title "$2" 60000 || fail "the viewer did not show $2"
}
stop_viewer() {
  "$wine_run" "$probe" close >/dev/null
  wait "$viewer" || fail "exit code $?"
  viewer=
}
# Sets the tool fields as the file-type dialog would (texts are stored with backslashes
# doubled).
set_editor() { # command line
  local line
  while IFS= read -r line; do
    case "$line" in
      ToolType=*) printf 'ToolType=1\r\n' ;;
      EditReload=*) printf 'EditReload=1\r\n' ;;
      Editor=*) printf 'Editor=%s\r\n' "${1//\\/\\\\}" ;;
      *) printf '%s\n' "$line" ;;
    esac
  done <"$work/Vemora.ini" >"$work/edited.ini"
  grep -q '^ToolType=1' "$work/edited.ini" || fail "no tool settings in the INI file"
  mv "$work/edited.ini" "$work/Vemora.ini"
}
# Presses E and waits until the tool's change to the file has been read again.
open_with_tool_and_wait() { # the file as Unix path
  local size
  size=$(status 4)
  xdotool key e
  wait_status_change 4 "$size" 200 || fail "the file was not read again after the editor ended"
  case "$(status 4)" in *" $(stat -c %s "$1") Bytes") ;; *) fail "size shown: $(status 4)" ;; esac
}

# A first run writes every setting to the INI file.
printf '#\r\n\r\n[Vemora]\r\nRegVer=90\r\n\r\n[Vemora\\Options]\r\nUI=0\r\nReg=1\r\nExtSet=1\r\n' >"$work/Vemora.ini"
start_viewer "$file" lines.txt
stop_viewer
set_editor "\"$tool\" \"$log\" - \$F -n\$L"

start_viewer "$file" lines.txt
window=$(wait_for_window 'lines.txt - Vemora' 50)
[ -n "$window" ] || fail "no window on the display"
xdotool windowfocus "$window"
for _ in $(seq 50); do [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ] && break; sleep 0.1; done
xdotool key Next
wait_status_change 2 "先頭:1行目" 50 || fail "Page Down did not move"
first=$(status 2)
xdotool key Next
wait_status_change 2 "$first" 50 || fail "the second Page Down did not move"
top=$(status 2)
line=$(echo "$top" | sed -n 's/^先頭:\([0-9]*\)行目$/\1/p')
open_with_tool_and_wait "$work/lines.txt"
[ "$(status 2)" = "$top" ] || fail "the reload moved from $top to $(status 2)"
[ "$(tr -d '\r' <"$work/tool.log")" = "\"$tool\" \"$log\" - $file -n$line" ] ||
  fail "the editor's command line: $(cat "$work/tool.log")"
stop_viewer

# The batch hands its first argument on to the stand-in, which records its command line.
# mark.bat leaves a file behind if a name's "&mark&" ever runs as a command.
bat_log=$(windows_path "$work/bat.log")
printf '@"%s" "%s" - %%1\r\n' "$tool" "$bat_log" >"$work/tool.bat"
printf '@echo ran>"%s"\r\n' "$(windows_path "$work/marker.txt")" >"$work/mark.bat"
set_editor "\"$(windows_path "$work/tool.bat")\" \$F"
mkdir -p "$work/資料 フォルダ"
for name in 'a&mark&b.txt' "資料 フォルダ/メモ (1);x=y!.txt"; do
  cp "$work/lines.txt" "$work/$name"
  target=$(windows_path "$work/$name")
  : >"$work/bat.log"
  start_viewer "$target" "$(basename "$name")"
  window=$(wait_for_window "$(basename "$name" | sed 's/[][()+.*?^$\\|{}]/\\&/g') - Vemora" 50)
  [ -n "$window" ] || fail "no window for $name"
  xdotool windowfocus "$window"
  for _ in $(seq 50); do [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ] && break; sleep 0.1; done
  size=$(status 4)
  xdotool key e
  for _ in $(seq 200); do [ -s "$work/bat.log" ] && break; sleep 0.1; done
  [ "$(tr -d '\r' <"$work/bat.log" | sed 's/ *$//')" = "\"$tool\" \"$bat_log\" - \"$target\"" ] ||
    fail "the batch was given: $(cat "$work/bat.log")"
  # The watch is on the command processor: once the file is read again, it has ended.
  wait_status_change 4 "$size" 200 || fail "the file was not read again after the editor ended"
  [ ! -e "$work/marker.txt" ] || fail "a command in the name $name ran"
  stop_viewer
done
echo "open with tool: ok"
