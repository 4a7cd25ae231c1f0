#!/usr/bin/env bash
# A Shift_JIS log past 2^31 bytes, whose text also passes 2^31 units, through the core with
# the release vemorainfo (line count, the last line found by search and by the filter with
# its number and text, the whole text's size) and once through the viewer under Wine (the
# end of the file shown, and find reaching the word of its last line). The file is made
# once into build/large. Needs the display and Wine prefix that scripts/test sets up.
# Usage: large_file.sh VEMORAINFO VEMORA_EXE
set -euo pipefail
info=$1
source "$(dirname "$0")/../e2e/viewer_session.bash" "$2"

folder="$top/build/large"
file="$folder/sjis-past-2g.txt"
facts="$folder/sjis-past-2g.facts"
mkdir -p "$folder"
# A block of log lines repeated until the file is 2^31 + 256 MiB, then one unique last
# line. Mostly ASCII, so that the text (one unit per ASCII byte) passes 2^31 units too.
if [ ! -s "$facts" ] || [ ! -f "$file" ] || [ "$(stat -c %s "$file")" != "$(sed -n 1p "$facts")" ]; then
  python3 - "$file" "$facts" <<'EOF'
import sys
path, facts = sys.argv[1], sys.argv[2]
lines = [f"2026-12-07 12:{i // 60 % 60:02d}:{i % 60:02d} [worker-{i % 8}] INFO 受付 request {i:05d} done 処理完了 status=200\r\n"
         for i in range(12000)]
block = "".join(lines)
raw = block.encode("cp932")
blocks = ((1 << 31) + (256 << 20)) // len(raw) + 1
last = "末尾の行 ZQXJVWORD ここまで\r\n"
with open(path, "wb") as out:
    for _ in range(blocks):
        out.write(raw)
    out.write(last.encode("cp932"))
size = blocks * len(raw) + len(last.encode("cp932"))
count = blocks * len(lines) + 1
units = blocks * len(block) + len(last)
utf8 = blocks * len(block.encode("utf-8")) + len(last.encode("utf-8"))
with open(facts, "w") as out:
    out.write(f"{size}\n{count}\n{units}\n{utf8}\n{last.rstrip()}\n")
EOF
fi
{ read -r size; read -r count; read -r units; read -r utf8; read -r last; } <"$facts"
[ "$size" -gt 2147483648 ] && [ "$units" -gt 2147483648 ] || fail "the file is not past 2^31"

check() { # what, expected, actual
  [ "$2" = "$3" ] || fail "$1: expected '$2', got '$3'"
  echo "  $1: ok"
}
echo "large file: $size bytes, $units units, $count lines"
# One run each, as each costs seconds: the line count with the last line's word found
# once by expression; the filter, on the file as standard input, giving the last line with
# its number and its text (a plain search); and the whole text.
check "lines, line ends and expression hits" "$count $count
1" "$("$info" --lines --fold 200 --regex --count 'J[A-Z]+D ここ' --timing "$file" 2>"$work/timing")"
sed 's/^/  timing: /' "$work/timing"
check "filter" "$count:$last" "$("$info" --filter ZQXJVWORD - <"$file" | tr -d '\r')"
# The whole text, of the size the decoded file must have, ending in the last line.
size_and_last_line() { # of standard input, read once
  PYTHONIOENCODING=utf-8 python3 -c '
import sys
size, tail = 0, b""
for piece in iter(lambda: sys.stdin.buffer.read(1 << 20), b""):
    size += len(piece)
    tail = (tail + piece)[-200:]
print(size, tail.decode(errors="replace").rstrip().splitlines()[-1])'
}
check "text size and last line" "$utf8 $last" "$("$info" --text "$file" | size_and_last_line)"

# The viewer: opened at its end, the last line shows at the bottom; from the top, find
# reaches the word of the last line.
"$wine_run" "$vemora" -e "$(windows_path "$file")" >/dev/null 2>>"$viewer_log" &
viewer=$!
"$wine_run" "$probe" wait-title "sjis-past-2g.txt - Vemora" 120000 || fail "the large file is not shown"
status() { "$wine_run" "$probe" status "$1" | tr -d '\r'; }
top_line() { status 2 | sed -n 's/^先頭:\([0-9]*\)行目$/\1/p'; }
near_end() { # the top line shown lies on the last page
  local line
  line=$(top_line)
  [ -n "$line" ] && [ "$line" -le "$count" ] && [ "$line" -gt $((count - 100)) ]
}
within() { # tries of 0.1 s, command...
  local tries=$1
  shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
  return 1
}
at_top() { [ "$(top_line)" = 1 ]; }
within 100 near_end || fail "opened at the end, the top line is $(status 2)"
echo "  viewer, end of the file: ok"
"$wine_run" "$probe" command 40016
within 100 at_top || fail "at the top, the top line is $(status 2)"
"$wine_run" "$probe" command 40010
"$wine_run" "$probe" wait-dialog "検索" 10000 || fail "no find dialog"
"$wine_run" "$probe" set-text "検索" 1061 "ZQXJVWORD"
"$wine_run" "$probe" click "検索" 1
within 600 near_end || fail "find did not reach the last line; the top line is $(status 2)"
echo "  viewer, find in the last line: ok"
