# Sourced by the Wine tests: a fresh Wine prefix in a temporary folder,
# started once and removed with the folder when the script exits.
#
#   source fresh_prefix.sh    sets $work (the temporary folder) and WINEPREFIX
#
# A fresh prefix's first start-up can fail while the machine is busy: it is
# tried a second time, and its own output is shown when that fails too.
for tool in wine wineboot winepath wineserver; do
  command -v "$tool" >/dev/null || { echo "Wine is not installed ($tool missing)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/ec-wine.XXXXXX")
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup_prefix() {
  wineserver -k >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup_prefix EXIT

if ! wineboot -i >"$work/wineboot.log" 2>&1 && ! wineboot -i >>"$work/wineboot.log" 2>&1; then
  cat "$work/wineboot.log" >&2
  echo "wineboot failed" >&2
  exit 1
fi

# The Windows form of a Linux path.
winpath() { winepath -w "$1" 2>/dev/null; }
