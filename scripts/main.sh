#!/usr/bin/env bash
# Builds the project and runs the eventcollector command line on the embedded
# default machine. Arguments replace the default command.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$top/build}
"$top/scripts/setup.sh" >/dev/null
if [ $# -eq 0 ]; then
  if "$build_dir/eventcollector" --help | grep -q '^  logs '; then set -- logs; else set -- demo; fi
fi
exec "$build_dir/eventcollector" "$@"
