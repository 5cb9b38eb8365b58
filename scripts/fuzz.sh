#!/usr/bin/env bash
# Builds every fuzz target with clang (libFuzzer, ASan, UBSan) into
# $FUZZ_BUILD_DIR (default: build-fuzz) and runs each for FUZZ_SECONDS
# (default 20), seeded from ../shared/testdata/logs when present and from
# small generated seeds. A crash or a broken property fails the script.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${FUZZ_BUILD_DIR:-$top/build-fuzz}
seconds=${FUZZ_SECONDS:-20}

cmake -S "$top/fuzz" -B "$build_dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build_dir" -j2

seeds=$(mktemp -d)
trap 'rm -rf "$seeds"' EXIT
mkdir -p "$seeds/evt" "$seeds/evtx" "$seeds/reg_text"
logs="$top/../shared/testdata/logs"
if [ -d "$logs" ]; then
  find "$logs" -maxdepth 1 -iname '*.evt' -size -2M -exec cp {} "$seeds/evt/" \;
  find "$logs" -maxdepth 1 -iname '*.evtx' -size -2M -exec cp {} "$seeds/evtx/" \;
else
  echo "no $logs: fuzzing from generated seeds only" >&2
fi
printf 'LfLe' > "$seeds/evt/magic"
printf 'ElfFile\0' > "$seeds/evtx/magic"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\r\n"Name"="value"\r\n"Num"=dword:00000010\r\n"Bin"=hex:01,02,03\r\n"Multi"=hex(7):41,00,00,00,00,00\r\n@="default"\r\n\r\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone]\r\n' > "$seeds/reg_text/sample.reg"

for target in evt evtx reg_text; do
  echo "== fuzz_$target for ${seconds}s"
  corpus=$(mktemp -d)
  "$build_dir/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 "$corpus" "$seeds/$target" 2>&1 | tail -n 12
  status=${PIPESTATUS[0]}
  rm -rf "$corpus"
  if [ "$status" -ne 0 ]; then
    echo "fuzz_$target failed (status $status)" >&2
    exit 1
  fi
done
