# Shared by the whole-program scripts: a scratch folder, the probe that reads the
# viewer's state from outside, and a clean end that closes the viewer.
# Sourced with the path of vemora.exe as $1.
vemora=$1
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
wine_run="$top/scripts/wine-run"
probe="$(dirname "$vemora")/vemora_probe.exe"
work=$(mktemp -d)
viewer=
cleanup() {
  "$wine_run" "$probe" close >/dev/null 2>&1 || true
  [ -n "$viewer" ] && wait "$viewer" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Waits until a window whose title matches appears on the display and prints its id.
wait_for_window() { # title pattern, tries of 0.1 s
  local found=
  for _ in $(seq "$2"); do
    found=$(xdotool search --name "$1" 2>/dev/null | head -n 1) || true
    [ -n "$found" ] && break
    sleep 0.1
  done
  echo "$found"
}
