#!/usr/bin/env bash
# A wrong option of 5000 characters is quoted shortened in the error box, which stays
# narrower than the screen; closing the box ends the program.
set -euo pipefail
source "$(dirname "$0")/viewer_session.bash" "$1"

cp "$vemora" "$work/vemora.exe"
printf '#\r\n\r\n[Vemora]\r\nRegVer=90\r\n\r\n[Vemora\\Options]\r\nUI=0\r\nReg=1\r\nExtSet=1\r\n' >"$work/Vemora.ini"
option="-$(head -c 5000 /dev/zero | tr '\0' 'x')"
"$wine_run" "$work/vemora.exe" "$option" </dev/null >/dev/null 2>>"$viewer_log" &
viewer=$!
"$wine_run" "$probe" wait-dialog "Vemora" 60000 || fail "no error box"
screen=$(xdotool getdisplaygeometry | cut -d' ' -f1)
widest=0
for window in $(xdotool search --onlyvisible --name '^Vemora$'); do
  width=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
  [ "${width:-0}" -gt "$widest" ] && widest=$width
done
echo "widest: $widest of $screen"
[ "$widest" -gt 0 ] || fail "no window found"
[ "$widest" -lt "$screen" ] || fail "a window $widest pixels wide on a screen of $screen"
"$wine_run" "$probe" click "Vemora" 2 || "$wine_run" "$probe" click "Vemora" 1 || true
for _ in $(seq 100); do kill -0 "$viewer" 2>/dev/null || break; sleep 0.1; done
kill -0 "$viewer" 2>/dev/null && fail "the program does not end when the box is closed"
viewer=
echo "long option: ok"
