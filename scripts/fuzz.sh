#!/usr/bin/env bash
# Builds every fuzz target with clang (libFuzzer, ASan, UBSan) into
# $FUZZ_BUILD_DIR (default: build-fuzz) and runs each for FUZZ_SECONDS
# (default 20), seeded from ../shared/testdata/logs when present and from
# files made by the project's writers. FUZZ_TARGETS (default: all) names
# the targets to run, FUZZ_CORPUS_DIR keeps the corpora between runs (long
# runs: FUZZ_SECONDS=3600 FUZZ_CORPUS_DIR=$HOME/ec-corpus bash scripts/fuzz.sh).
# A crash or a broken property fails the script; the input that caused it
# is left in the current folder (crash-*, leak-*, oom-*, timeout-*).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${FUZZ_BUILD_DIR:-$top/build-fuzz}
seconds=${FUZZ_SECONDS:-20}
all_targets=(evt evtx evtx_chunk reg_text message_table wevt_template config_xml filter_xml event_file)
read -r -a targets <<< "${FUZZ_TARGETS:-${all_targets[*]}}"

cmake -S "$top" -B "$build_dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DCMAKE_BUILD_TYPE=Debug \
  -DEC_FUZZ=ON -DEC_TESTS=OFF -DEC_BENCH=OFF >/dev/null
build_targets=(make_fuzz_seeds)
for target in "${targets[@]}"; do build_targets+=("fuzz_$target"); done
if cmake --build "$build_dir" --target help | grep -q ec_message_fixtures; then build_targets+=(ec_message_fixtures); fi
cmake --build "$build_dir" -j2 --target "${build_targets[@]}"
bin="$build_dir/fuzz"

seeds=$(mktemp -d)
trap 'rm -rf "$seeds"' EXIT
mkdir -p "$seeds"/{evt,evtx,evtx_chunk,reg_text,message_table,wevt_template,config_xml,filter_xml,event_file}
logs="$top/../shared/testdata/logs"
if [ -d "$logs" ]; then
  find "$logs" -maxdepth 1 -iname '*.evt' -size -2M -exec cp {} "$seeds/evt/" \;
  find "$logs" -maxdepth 1 -iname '*.evtx' -size -2M -exec cp {} "$seeds/evtx/" \;
  # The first chunk of each sample file.
  for f in "$logs"/*.evtx; do
    [ -f "$f" ] && tail -c +4097 "$f" | head -c 65536 > "$seeds/evtx_chunk/$(basename "$f").chunk0" || true
  done
else
  echo "no $logs: fuzzing from generated seeds only" >&2
fi
"$bin/make_fuzz_seeds" "$seeds"
find "$bin/fixtures" -maxdepth 1 -name '*.dll' -exec cp {} "$seeds/message_table/" \; 2>/dev/null || true
# The event manifests the message DLL fixtures carry.
find "$bin/fixtures" -name 'manifest.bin' -exec cp {} "$seeds/wevt_template/" \; 2>/dev/null || true
printf 'LfLe' > "$seeds/evt/magic"
printf 'ElfFile\0' > "$seeds/evtx/magic"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\r\n"Name"="value"\r\n"Num"=dword:00000010\r\n"Bin"=hex:01,02,03\r\n"Multi"=hex(7):41,00,00,00,00,00\r\n@="default"\r\n\r\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone]\r\n' > "$seeds/reg_text/sample.reg"
printf 'MZ' > "$seeds/message_table/mz"

for target in "${targets[@]}"; do
  echo "== fuzz_$target for ${seconds}s"
  if [ -n "${FUZZ_CORPUS_DIR:-}" ]; then
    corpus="$FUZZ_CORPUS_DIR/$target"
    mkdir -p "$corpus"
  else
    corpus=$(mktemp -d)
  fi
  set +e
  "$bin/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=2048 "$corpus" "$seeds/$target" \
    > "$seeds/log" 2>&1
  status=$?
  set -e
  grep -E "^stat::number_of_executed_units|^stat::new_units_added|ERROR|SUMMARY|Test unit written" "$seeds/log" || true
  [ -n "${FUZZ_CORPUS_DIR:-}" ] || rm -rf "$corpus"
  if [ "$status" -ne 0 ]; then
    # The sanitizer's report with its stack, else the end of the log.
    if grep -q "ERROR: " "$seeds/log"; then
      sed -n '/ERROR: /,$p' "$seeds/log" | grep -v "^  0x\|^Shadow\|^  [A-Z][a-z].*: " | head -n 80 >&2
    else
      tail -n 40 "$seeds/log" >&2
    fi
    echo "fuzz_$target failed (status $status)" >&2
    exit 1
  fi
done
