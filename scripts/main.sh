#!/usr/bin/env bash
# Builds the project and runs the eventcollector command line on the embedded
# default machine. Arguments replace the default command.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$top/build}
"$top/scripts/setup.sh" >/dev/null
[ $# -gt 0 ] || set -- demo
exec "$build_dir/eventcollector" "$@"
