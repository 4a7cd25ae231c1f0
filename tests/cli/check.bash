# What every command-line test script starts with: the program under test (its first
# argument), the test data, a scratch folder removed at the end, and a check that counts
# failures. Sourced by the scripts beside it, which end with `exit $((failures > 0))`.
set -u
info=$1
data=$(cd "$(dirname "${BASH_SOURCE[0]}")/../data" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # what, expected, actual
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1"; echo "  expected: $2"; echo "  actual:   $3"; failures=$((failures + 1))
  fi
}
