#!/usr/bin/env bash
# Builds the project and runs every test.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$top/build}
"$top/scripts/setup.sh" "$@"
ctest --test-dir "$build_dir" --output-on-failure -j2 --timeout 600
