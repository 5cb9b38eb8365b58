#!/usr/bin/env bash
# The Windows builds of the unit tests under Wine, in one fresh prefix.
#
#   run_unit_tests.sh TESTDATA_DIR PROGRAM...
#
# The programs get the folder of real logs as a Windows path (EC_TESTDATA_DIR)
# and run two at a time; one that fails, ends without GoogleTest's closing
# line or runs no test fails the run. Temporary folders are the prefix's own.
# The local time is 5:30 hours ahead of UTC, so that a local time taken for
# UTC (or an hour-only offset) shows in the times of records and files.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
testdata=$1
shift

export TZ=Asia/Kolkata
[ -e /usr/share/zoneinfo/$TZ ] || echo "note: no time zone data ($TZ); the programs run in UTC" >&2
source "$here/fresh_prefix.sh"

if [ -d "$testdata" ]; then
  EC_TESTDATA_DIR=$(winpath "$(realpath "$testdata")")
  export EC_TESTDATA_DIR
else
  echo "note: no test data at $testdata; the tests of real logs skip" >&2
fi

# run_one PROGRAM: its output in $work/NAME.log, its exit status in NAME.status.
run_one() {
  local name
  name=$(basename "$1" .exe)
  wine "$1" >"$work/$name.log" 2>&1
  echo $? >"$work/$name.status"
}

cd "$work" || exit 1
started=$SECONDS
for program in "$@"; do
  while [ "$(jobs -rp | wc -l)" -ge 2 ]; do wait -n; done
  run_one "$program" &
done
wait

failures=0
total=0
for program in "$@"; do
  name=$(basename "$program" .exe)
  output=$(tr -d '\r' <"$work/$name.log")
  status=$(cat "$work/$name.status")
  count=$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran\..*/\1/p' <<<"$output" | tail -1)
  if [ "$status" -eq 0 ] && grep -q '^\[  PASSED  \]' <<<"$output" && [ "${count:-0}" -gt 0 ]; then
    skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?, listed below:/\1/p' <<<"$output")
    echo "ok   $name: $count tests, ${skipped:-0} skipped"
    total=$((total + count))
  else
    echo "FAIL $name (exit $status)" >&2
    printf '%s\n' "$output" | sed 's/^/    /' >&2
    failures=$((failures + 1))
  fi
done

echo "$# programs, $total tests in $((SECONDS - started)) s"
if [ "$failures" -ne 0 ]; then
  echo "$failures of $# Windows test programs failed" >&2
  exit 1
fi
echo "all Windows test programs passed under Wine"
