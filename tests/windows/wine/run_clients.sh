#!/usr/bin/env bash
# The component's COM surface under Wine, in a fresh prefix:
#   registration and its keys (reg export), the script clients (cscript),
#   the same filter file edited here and by the Linux command line,
#   removal of the registration, and the flat Run export without it.
#
#   run_clients.sh DLL FLAT_RUN_CLIENT [LINUX_EVENTCOLLECTOR]
#
# Wine's event-log functions are stubs, so nothing here collects. cscript
# exits 0 on an uncaught script error: every script prints a marker line as
# its last act, and a script without it has failed.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
dll=$(realpath "$1")
client=$(realpath "$2")
linux_tool=${3:-}

source "$here/fresh_prefix.sh"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# HKEY_CLASSES_ROOT is exported once per state and read from the file:
# reg_value FILE KEY [NAME] prints the value, nothing when it is missing.
export_classes() { wine reg export HKEY_CLASSES_ROOT "$(winpath "$1")" /y >/dev/null 2>&1 || fail "reg export"; }
reg_value() { python3 "$here/reg_value.py" "$@"; }

wdll=$(winpath "$dll")

classes=(EventLogEnum EventLog FilterEnum Filter FilterISEnum FilterIS Filters LogInfo Task TaskConfig TaskResult2 TaskResult)
prefix="HKCR\\Calomar.Overseer.EventCollector"

echo "== regsvr32"
wine regsvr32 /s "$wdll" || fail "regsvr32 returned $?"
export_classes "$work/registered.reg"
r="$work/registered.reg"
root="HKEY_CLASSES_ROOT"
for c in "${classes[@]}"; do
  curver=$(reg_value "$r" "$root\\Calomar.Overseer.EventCollector.$c\\CurVer")
  [ "$curver" = "Calomar.Overseer.EventCollector.$c.1" ] || fail "$c: CurVer is '$curver'"
  clsid=$(reg_value "$r" "$root\\Calomar.Overseer.EventCollector.$c.1\\CLSID")
  [ -n "$clsid" ] || { fail "$c: no CLSID under the versioned ProgID"; continue; }
  [ "$(reg_value "$r" "$root\\CLSID\\$clsid")" = "$c Class" ] || fail "$c: class name text"
  [ "$(reg_value "$r" "$root\\CLSID\\$clsid\\InprocServer32")" = "$wdll" ] || fail "$c: InprocServer32 is not the DLL"
  [ "$(reg_value "$r" "$root\\CLSID\\$clsid\\InprocServer32" ThreadingModel)" = Apartment ] || fail "$c: ThreadingModel"
  [ "$(reg_value "$r" "$root\\CLSID\\$clsid\\ProgID")" = "Calomar.Overseer.EventCollector.$c.1" ] || fail "$c: ProgID"
done
appid=$(reg_value "$r" "$root\\AppID\\Calomar.Common.EventCollector.DLL" AppID)
[ -n "$appid" ] && [ "$(reg_value "$r" "$root\\AppID\\$appid")" = "$appid" ] || fail "AppID entries"
task_clsid=$(reg_value "$r" "$root\\Calomar.Overseer.EventCollector.Task.1\\CLSID")
libid=$(reg_value "$r" "$root\\CLSID\\$task_clsid\\TypeLib")
[ "$(reg_value "$r" "$root\\TypeLib\\$libid\\1.0")" = "EventCollector 1.0 Type Library" ] || fail "type library $libid not registered"

echo "== script clients"
for script in "$here"/task_config.vbs "$here"/task_result.js "$here"/task_result2.vbs "$here"/filters.vbs "$here"/task_run.vbs; do
  name=$(basename "${script%.*}")
  folder="$work/$name"
  mkdir -p "$folder"
  output=$(wine cscript //nologo "$(winpath "$script")" "$(winpath "$folder")" 2>&1 | tr -d '\r')
  # Wine now and then fails to start cscript at all (the script never ran):
  # that one start is tried again, and said so.
  if grep -q "ShellExecuteEx failed" <<<"$output"; then
    echo "     $name: Wine could not start cscript; starting it again" >&2
    output=$(wine cscript //nologo "$(winpath "$script")" "$(winpath "$folder")" 2>&1 | tr -d '\r')
  fi
  if grep -qx "SCRIPT PASSED $name" <<<"$output" && ! grep -q "^FAIL" <<<"$output"; then
    echo "ok   $name"
  else
    fail "$name"
    printf '%s\n' "$output" | sed 's/^/    /' >&2
  fi
done

echo "== one filter file edited on Linux and under Wine"
if [ -z "$linux_tool" ]; then
  echo "skipped: no Linux eventcollector given (third argument)" >&2
else
  base="$work/edit/base.xml"
  mkdir -p "$work/edit"
  "$linux_tool" filter add "$base" --include --name Logons --event-id 4624,4700-4705 --string 2=alice >/dev/null \
    || fail "Linux filter add"
  removed=$("$linux_tool" filter add "$base" --exclude --priority 2 --source "Service Control Manager" | tr -d '\r\n')
  cp "$base" "$work/edit/linux.xml"
  cp "$base" "$work/edit/wine.xml"
  "$linux_tool" filter log add "$work/edit/linux.xml" Security >/dev/null &&
    "$linux_tool" filter remove "$work/edit/linux.xml" "$removed" >/dev/null &&
    "$linux_tool" filter use "$work/edit/linux.xml" off >/dev/null || fail "Linux filter edits"
  output=$(wine cscript //nologo "$(winpath "$here/filter_edit.vbs")" "$(winpath "$work/edit/wine.xml")" "$removed" 2>&1 | tr -d '\r')
  grep -qx "SCRIPT PASSED filter_edit" <<<"$output" || fail "filter_edit: $output"
  if cmp -s "$work/edit/linux.xml" "$work/edit/wine.xml"; then
    echo "ok   filter file equal byte for byte"
  else
    fail "the filter files differ"
    diff "$work/edit/linux.xml" "$work/edit/wine.xml" | head -20 >&2
  fi
fi

echo "== regsvr32 /u"
wine regsvr32 /u /s "$wdll" || fail "regsvr32 /u returned $?"
export_classes "$work/removed.reg"
r="$work/removed.reg"
for c in "${classes[@]}"; do
  ! reg_value "$r" "$root\\Calomar.Overseer.EventCollector.$c" - >/dev/null || fail "$c: ProgID left after removal"
  ! reg_value "$r" "$root\\Calomar.Overseer.EventCollector.$c.1" - >/dev/null || fail "$c: versioned ProgID left"
done
! reg_value "$r" "$root\\CLSID\\$task_clsid" - >/dev/null || fail "the Task class key left after removal"
reg_value "$r" "$root\\CLSID" - >/dev/null || fail "HKCR\\CLSID itself was removed"
reg_value "$r" "$root\\AppID" - >/dev/null || fail "HKCR\\AppID itself was removed"
! reg_value "$r" "$root\\TypeLib\\$libid\\1.0" - >/dev/null || fail "type library still registered"

echo "== flat Run without registration"
mkdir -p "$work/flat"
config="$work/flat/list.xml"
printf '<?xml version="1.0" encoding="UTF-8" ?>\n<Task>\n    <LogName>*</LogName>\n</Task>\n' >"$config"
output=$(wine "$client" "$wdll" "$(winpath "$config")" "$(winpath "$work/flat")" 2>&1 | tr -d '\r')
if grep -qx "Run returned 0x00000000" <<<"$output" && grep -q "<ErrorText>Success.</ErrorText>" "$config"; then
  echo "ok   flat Run"
else
  fail "flat Run: $output"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all Wine client checks passed"
