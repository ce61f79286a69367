#!/usr/bin/env bash
# tolvimer_plan as a user runs it: the plan for the example settings file in
# a launcher folder (compared with example_plan.txt), read from its own
# folder without --settings, the folder left exactly as it was, the exit
# status with warnings, bad usage and --version.
#   plan_cli_test.sh TOLVIMER_PLAN [--update]   (--update rewrites the golden file)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
plan=$1
golden=$here/example_plan.txt
image='D:\Images\Some Game.cdi'
folder=$(mktemp -d)
wine=$(mktemp -d)
trap 'rm -rf "$folder" "$wine"' EXIT
# A Wine registry of the test's own, with autoplay_cancel.reg imported: the
# example's CancelAutoPlay=true then gives no warning.
export WINEPREFIX=$wine
clsid=$(sed -n 's/^constexpr char kAutoPlayHandlerClsidText\[\] = "\(.*\)";/\1/p' \
  "$here/../../platform/autoplay_handler_id.h")
handler_key='[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoplayHandlers\\CancelAutoplay\\CLSID] 1700000000'
printf 'WINE REGISTRY Version 2\n\n%s\n"%s"=""\n' "$handler_key" "$clsid" >"$wine/system.reg"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The launcher folder: the example settings file, the emulator and its files.
cp "$here/../../examples/tolvimer_launch.ini" "$folder/"
: >"$folder/Tolvimer_alpha_25.exe"
head -c 106500 /dev/zero >"$folder/dc_flash.bin"
printf 'emulator config.' >"$folder/tolvimer.cfg"
before=$(cd "$folder" && ls -l --time-style=full-iso && md5sum ./*)

"$plan" --settings "$folder/tolvimer_launch.ini" "$image" >"$folder.out"
status=$?
sed "s|$folder/|<launcher folder>/|g" "$folder.out" >"$folder.plan"
rm -f "$folder.out"
if [ "${2:-}" = --update ]; then
  cp "$folder.plan" "$golden"
  echo "updated $golden"
fi
[ "$status" = 0 ] || fail "the example plan exits with $status, not 0"
diff -u "$golden" "$folder.plan" || fail "the example plan differs from $golden"

after=$(cd "$folder" && ls -l --time-style=full-iso && md5sum ./*)
[ "$before" = "$after" ] || fail "the dry run changed the launcher folder"

# Without --settings: the settings file beside the program itself.
cp "$plan" "$folder/tolvimer_plan"
"$folder/tolvimer_plan" "$image" | sed "s|$folder/|<launcher folder>/|g" >"$folder.own"
diff -u "$golden" "$folder.own" >/dev/null || fail "without --settings the plan differs"
rm -f "$folder.plan" "$folder.own"

# Warnings give status 1.
printf '[General]\nZWirte=true\n[Some Game]\nCPU=100\n' >"$folder/warn.ini"
"$plan" --settings "$folder/warn.ini" "$image" >"$folder.warn"
status=$?
[ "$status" = 1 ] || fail "a misspelt key exits with $status, not 1"
grep -q 'ZWirte is a key the launcher never reads (did you mean ZWrite?)' "$folder.warn" ||
  fail "no warning for the misspelt key"
rm -f "$folder.warn"

# CancelAutoPlay=true without the handler's value in the registry: a warning.
printf 'WINE REGISTRY Version 2\n\n%s\n' "$handler_key" >"$wine/system.reg"
"$plan" --settings "$folder/tolvimer_launch.ini" "$image" >"$folder.warn"
status=$?
[ "$status" = 1 ] || fail "CancelAutoPlay without the registry value exits with $status, not 1"
grep -q "CancelAutoPlay is \"true\", but .* has no value \"$clsid\" in $wine/system.reg" \
  "$folder.warn" || fail "no warning for the missing AutoPlay handler value"
rm -f "$folder.warn"

# Bad usage gives status 2.
for args in "" "--settings" "a.cdi b.cdi" "--settings $folder/warn.ini" "--help"; do
  # shellcheck disable=SC2086
  "$plan" $args >/dev/null 2>&1
  status=$?
  [ "$status" = 2 ] || fail "tolvimer_plan $args exits with $status, not 2"
done

# --version: the project's version number from CMakeLists.txt, status 0.
source "$here/../../scripts/project_version.sh"
version=$(project_version)
out=$("$plan" --version)
status=$?
[ "$status" = 0 ] || fail "--version exits with $status, not 0"
[ -n "$version" ] && [ "$out" = "tolvimer_plan $version" ] ||
  fail "--version prints [$out], not [tolvimer_plan $version]"

[ "$failures" = 0 ] && echo "plan_cli_test: all checks passed"
exit $((failures > 0))
