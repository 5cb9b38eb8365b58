#!/usr/bin/env bash
# Fails when a tracked C or C++ file differs from the layout of .clang-format;
# prints the files and the command that fixes them.
set -euo pipefail
top=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
formatter=${CLANG_FORMAT:-clang-format}
cd "$top"
files=()
while IFS= read -r f; do files+=("$f"); done < <(git ls-files '*.cpp' '*.h' '*.c')
# One formatter process for every file; each deviation is reported as
# "FILE:LINE:COL: error: code should be clang-formatted".
report=$("$formatter" --dry-run --Werror "${files[@]}" 2>&1 >/dev/null) || true
mapfile -t bad < <(printf '%s\n' "$report" | sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u)
if [ ${#bad[@]} -gt 0 ]; then
  echo "Not in the project's layout (${#bad[@]} files):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  echo "Fix with: $formatter -i ${bad[*]}" >&2
  exit 1
fi
if [ -n "$report" ]; then
  printf '%s\n' "$report" >&2
  exit 1
fi
echo "Every C and C++ file (${#files[@]}) is in the project's layout."
