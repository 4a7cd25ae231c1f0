#!/usr/bin/env bash
# The E key hands the shown file to the editor configured for its file type, at the line
# at the top of the window; when the editor (a stand-in that appends a line) ends, the
# viewer shows the file's new size and is still at the same line.
set -euo pipefail
source "$(dirname "$0")/viewer_session.bash" "$1"

cp "$vemora" "$work/vemora.exe"
cp "$(dirname "$vemora")/vemora_test_tool.exe" "$work/"
for i in $(seq 1 400); do printf 'line %d\r\n' "$i"; done >"$work/lines.txt"
file=$(windows_path "$work/lines.txt")
tool=$(windows_path "$work/vemora_test_tool.exe")
log=$(windows_path "$work/tool.log")
status() { "$wine_run" "$probe" status "$1" | tr -d '\r'; }

start_viewer() {
  "$wine_run" "$work/vemora.exe" "$file" </dev/null >/dev/null 2>>"$viewer_log" &
  viewer=$!
  "$wine_run" "$probe" wait-title lines.txt 60000 || fail "the viewer did not show the file"
}
stop_viewer() {
  "$wine_run" "$probe" close >/dev/null
  wait "$viewer" || fail "exit code $?"
  viewer=
}

# A first run writes every setting to the INI file; the tool fields are then changed as
# the file-type dialog would change them (texts are stored with backslashes doubled).
printf '#\r\n\r\n[Vemora]\r\nRegVer=90\r\n\r\n[Vemora\\Options]\r\nUI=0\r\nReg=1\r\nExtSet=1\r\n' >"$work/Vemora.ini"
start_viewer
stop_viewer
editor="\"$tool\" \"$log\" - \$F -n\$L"
while IFS= read -r line; do
  case "$line" in
    ToolType=*) printf 'ToolType=1\r\n' ;;
    EditReload=*) printf 'EditReload=1\r\n' ;;
    Editor=*) printf 'Editor=%s\r\n' "${editor//\\/\\\\}" ;;
    *) printf '%s\n' "$line" ;;
  esac
done <"$work/Vemora.ini" >"$work/edited.ini"
grep -q '^ToolType=1' "$work/edited.ini" || fail "no tool settings in the INI file"
mv "$work/edited.ini" "$work/Vemora.ini"

start_viewer
window=$(wait_for_window 'lines.txt - Vemora' 50)
[ -n "$window" ] || fail "no window on the display"
xdotool windowfocus "$window"
sleep 0.3
xdotool key Next Next
sleep 0.5
top=$(status 2)
[ "$top" != "先頭:1行目" ] || fail "Page Down did not move"
line=$(echo "$top" | sed -n 's/^先頭:\([0-9]*\)行目$/\1/p')
size=$(status 4)

xdotool key e
for _ in $(seq 100); do [ "$(status 4)" != "$size" ] && break; sleep 0.2; done
[ "$(status 4)" != "$size" ] || fail "the file was not read again after the editor ended"
case "$(status 4)" in *" $(stat -c %s "$work/lines.txt") Bytes") ;; *) fail "size shown: $(status 4)" ;; esac
[ "$(status 2)" = "$top" ] || fail "the reload moved from $top to $(status 2)"
[ "$(tr -d '\r' <"$work/tool.log")" = "\"$tool\" \"$log\" - $file -n$line" ] ||
  fail "the editor's command line: $(cat "$work/tool.log")"
stop_viewer
echo "open with tool: ok"
