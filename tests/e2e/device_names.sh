#!/usr/bin/env bash
# A device name given as the file (COM1, aux.txt, in any case) is refused like a folder:
# the window comes up without a document and closes at once, instead of waiting for ever
# on the device.
set -euo pipefail
source "$(dirname "$0")/viewer_session.bash" "$1"

cp "$vemora" "$work/vemora.exe"
printf '#\r\n\r\n[Vemora]\r\nRegVer=90\r\n\r\n[Vemora\\Options]\r\nUI=0\r\nReg=1\r\nExtSet=1\r\n' >"$work/Vemora.ini"
printf 'not a device\r\n' >"$work/aux.txt"  # the name alone makes it one on Windows
cd "$work"
for name in COM1 aux.txt Lpt2.log; do
  "$wine_run" "$work/vemora.exe" "$name" </dev/null >/dev/null 2>>"$viewer_log" &
  viewer=$!
  "$wine_run" "$probe" wait-title "Vemora" 60000 || fail "$name: no window"
  title=$("$wine_run" "$probe" title | tr -d '\r')
  [ "$title" = "Vemora" ] || fail "$name: a document is shown: $title"
  "$wine_run" "$probe" close >/dev/null
  for _ in $(seq 50); do kill -0 "$viewer" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$viewer" 2>/dev/null; then
    kill -9 "$viewer"
    fail "$name: the viewer does not close"
  fi
  status=0
  wait "$viewer" || status=$?
  viewer=
  [ "$status" = 0 ] || fail "$name: exit status $status"
done
echo "device names: ok"
