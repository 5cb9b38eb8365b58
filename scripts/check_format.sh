#!/usr/bin/env bash
# Fails when a tracked C or C++ file differs from the layout of .clang-format;
# prints the files and the command that fixes them.
set -euo pipefail
top=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
formatter=${CLANG_FORMAT:-clang-format}
cd "$top"
bad=()
while IFS= read -r f; do
  "$formatter" --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done < <(git ls-files '*.cpp' '*.h' '*.c' 2>/dev/null || find . -path ./build\* -prune -o \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print)
if [ ${#bad[@]} -gt 0 ]; then
  echo "Not in the project's layout (${#bad[@]} files):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  echo "Fix with: $formatter -i ${bad[*]}" >&2
  exit 1
fi
echo "Every C and C++ file is in the project's layout."
