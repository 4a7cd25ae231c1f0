# Shared by the whole-program scripts: a scratch folder, the probe that reads the
# viewer's state from outside, and a clean end that closes the viewer.
# Sourced with the path of vemora.exe as $1.
vemora=$1
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
wine_run="$top/scripts/wine-run"
probe="$(dirname "$vemora")/vemora_probe.exe"
work=$(mktemp -d)
viewer=
cleanup() { # [exit status]
  local status=${1:-$?}
  # A command that failed under set -e ends the script without a word: say so.
  [ "$status" -ne 0 ] && [ -z "$reported" ] && report "FAIL: a command failed (exit status $status)"
  "$wine_run" "$probe" close >/dev/null 2>&1 || true
  [ -n "$viewer" ] && wait "$viewer" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# The Windows path of a file here: Wine's drive Z: is the root of the Unix tree. Worked out
# here rather than by winepath, which is one more Wine process that can fail quietly.
windows_path() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

# The viewer's own error output, shown with a failure together with what was on the
# display, so that a failure seen once can be understood.
viewer_log="$work/viewer.log"
: >"$viewer_log"
reported=
report() { # what went wrong; shown with the state of the viewer and the display
  reported=1
  {
    echo "$*"
    if [ -n "$viewer" ]; then
      kill -0 "$viewer" 2>/dev/null && echo "the viewer is running" || echo "the viewer has ended"
    fi
    [ -s "$viewer_log" ] && { echo "the viewer's errors:"; tail -n 20 "$viewer_log"; }
    echo "windows on the display:"
    local w
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
      echo "  $(xdotool getwindowname "$w" 2>/dev/null)"
    done
  } >&2
}
fail() {
  report "FAIL: $*"
  exit 1
}

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

# Gives the window the input focus and waits until it has it, so that the keys typed next
# go there.
focus_window() { # window id
  xdotool windowfocus "$1" 2>/dev/null || true
  for _ in $(seq 100); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
    sleep 0.05
  done
  fail "the window '$(xdotool getwindowname "$1" 2>/dev/null)' did not take the focus"
}
