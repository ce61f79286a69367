#!/usr/bin/env bash
# Checks the release archive of a Windows build (made by its "package"
# target): it holds exactly the seven files, the example settings under a name
# of its own, so that unpacking it over an installed launcher keeps the
# user's tolvimer_launch.ini; the programs in it are the files
# the build made and the tests ran; the texts have Windows line ends and
# match their sources; the launcher stays under 100 KiB. Then, under Wine:
# the version information and manifest of both programs read back as Windows
# reads them, tolvimer_plan.exe --version, and the typical end-to-end
# scenario run by the launcher unpacked from the archive.
#
#   check_package.sh <build folder> [--probe <version_probe.exe>]
#                    [--standins <folder>] [--no-plan-run] [--no-run]
#
# e.g. build/mingw-i686. Where that build's programs cannot run, --probe
# names another build's version probe (Windows' version calls read a file of
# either width), --standins the stand-ins the unpacked launcher runs with,
# --no-plan-run skips running the archive's tolvimer_plan.exe and --no-run
# every run of the archive's programs: what only reads them is still checked.
set -uo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
REPO=$(cd "$HERE/../.." && pwd)
BUILD=$(realpath "$1")
shift
PROBE="$BUILD/tests/package/version_probe.exe"
STANDINS="$BUILD/e2e"
RUN_PLAN=1
RUN_LAUNCHER=1
while [ $# -gt 0 ]; do
  case $1 in
    --probe) PROBE=$(realpath "$2") && shift ;;
    --standins) STANDINS=$(realpath "$2") && shift ;;
    --no-plan-run) RUN_PLAN='' ;;
    --no-run) RUN_PLAN='' RUN_LAUNCHER='' ;;
    *) echo "check_package.sh: unknown option $1" >&2 && exit 2 ;;
  esac
  shift
done
source "$REPO/scripts/project_version.sh"
VERSION=$(project_version)
case $(i686-w64-mingw32-objdump -f "$BUILD/tolvimer_launch.exe" | sed -n 's/.*file format //p') in
  pei-i386) PLATFORM=win32 ;;
  *) PLATFORM=win64 ;;
esac
ZIP="$BUILD/tolvimer_launch-$VERSION-$PLATFORM.zip"
UNPACKED=$(mktemp -d /tmp/tolvimer-package.XXXXXX)
trap 'rm -rf "$UNPACKED"' EXIT
failures=0
package_fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

echo "archive: $ZIP"
[ -n "$VERSION" ] || package_fail "no version in CMakeLists.txt"
# The changelog's newest heading is the version the archive carries.
newest=$(grep -m1 -E '^## \[' "$REPO/CHANGELOG.md")
[[ $newest == "## [$VERSION] - "* ]] ||
  package_fail "CHANGELOG.md's newest heading is [$newest], not version $VERSION with its date"
[ -f "$ZIP" ] || { package_fail "no archive $ZIP"; exit 1; }

expected=$(printf '%s\n' LICENSE.txt README.txt autoplay_cancel.reg autoplay_cancel_undo.reg \
  tolvimer_launch.example.ini tolvimer_launch.exe tolvimer_plan.exe tolvimer_settings.exe)
listed=$(cmake -E tar tf "$ZIP" | sort)
[ "$listed" = "$expected" ] || package_fail "the archive holds [$(echo $listed)], not [$(echo $expected)]"
(cd "$UNPACKED" && cmake -E tar xf "$ZIP") || package_fail "the archive does not unpack"

cmp -s "$UNPACKED/tolvimer_launch.exe" "$BUILD/tolvimer_launch.exe" ||
  package_fail "tolvimer_launch.exe in the archive is not the one the build made"
cmp -s "$UNPACKED/tolvimer_plan.exe" "$BUILD/tools/plan/tolvimer_plan.exe" ||
  package_fail "tolvimer_plan.exe in the archive is not the one the build made"
cmp -s "$UNPACKED/tolvimer_settings.exe" "$BUILD/settings_editor/tolvimer_settings.exe" ||
  package_fail "tolvimer_settings.exe in the archive is not the one the build made"
size=$(stat -c %s "$UNPACKED/tolvimer_launch.exe")
echo "tolvimer_launch.exe: $size bytes"
[ "$size" -lt 102400 ] || package_fail "tolvimer_launch.exe has $size bytes, not under 100 KiB"
size=$(stat -c %s "$UNPACKED/tolvimer_settings.exe")
echo "tolvimer_settings.exe: $size bytes"
[ "$size" -lt 204800 ] || package_fail "tolvimer_settings.exe has $size bytes, not under 200 KiB"

# Texts: every line ends in CR LF, and without the CRs each is its source.
same_text() {  # same_text <packaged file> <expected LF text file>
  local lines crlf
  lines=$(wc -l <"$UNPACKED/$1")
  crlf=$(grep -c $'\r$' "$UNPACKED/$1")
  [ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ] ||
    package_fail "$1: $crlf of $lines lines end in CR LF"
  tr -d '\r' <"$UNPACKED/$1" | cmp -s - "$2" || package_fail "$1 differs from $2"
}
same_text tolvimer_launch.example.ini "$REPO/examples/tolvimer_launch.ini"
same_text LICENSE.txt "$REPO/LICENSE"
same_text README.txt <(sed "s/@PROJECT_VERSION@/$VERSION/" "$REPO/package/README.txt")
# The registry files name the CLSID the launcher registers its handler under.
CLSID=$(sed -n 's/^constexpr char kAutoPlayHandlerClsidText\[\] = "\(.*\)";/\1/p' \
  "$REPO/platform/autoplay_handler_id.h")
for reg in autoplay_cancel autoplay_cancel_undo; do
  same_text $reg.reg <(sed "s/@TOLVIMER_AUTOPLAY_CLSID@/$CLSID/" "$REPO/package/$reg.reg")
  grep -q "^\"$CLSID\"=" "$UNPACKED/$reg.reg" || package_fail "$reg.reg does not name $CLSID"
done

# An update unpacked over an installed launcher, every file replaced: the
# programs are the new ones, the user's settings stay as they were.
INSTALLED=$(mktemp -d /tmp/tolvimer-installed.XXXXXX)
printf '[General]\r\nRegion=jap\r\n' >"$INSTALLED/tolvimer_launch.ini"
printf 'old launcher' >"$INSTALLED/tolvimer_launch.exe"
(cd "$INSTALLED" && cmake -E tar xf "$ZIP") || package_fail "the archive does not unpack over an installation"
[ "$(cat "$INSTALLED/tolvimer_launch.ini")" = $'[General]\r\nRegion=jap\r' ] ||
  package_fail "unpacking the archive over an installation changes the user's tolvimer_launch.ini"
cmp -s "$INSTALLED/tolvimer_launch.exe" "$UNPACKED/tolvimer_launch.exe" ||
  package_fail "unpacking the archive over an installation does not update tolvimer_launch.exe"
rm -rf "$INSTALLED"

# ---- Under Wine ---------------------------------------------------------------

LAUNCHER_EXE="$UNPACKED/tolvimer_launch.exe"
source "$REPO/tests/e2e/lib.sh"
trap 'e2e_teardown; rm -rf "$UNPACKED"' EXIT
if e2e_setup; then
  copyright=$(grep -m1 '^Copyright ' "$REPO/LICENSE")
  for program in tolvimer_launch tolvimer_plan tolvimer_settings; do
    case $program in
      tolvimer_launch) description="Tolvimer emulator launcher" ;;
      tolvimer_plan) description="Dry run of the Tolvimer emulator launcher" ;;
      tolvimer_settings) description="Settings editor of the Tolvimer emulator launcher" ;;
    esac
    read_back=$(timeout "$E2E_TIMEOUT" wine "$PROBE" \
      "$(winpath "$UNPACKED/$program.exe")" 2>/dev/null | tr -d '\r')
    fields=$(sed '/^manifest:$/,$d' <<<"$read_back")
    expected_fields="FixedFileVersion=$VERSION.0
FixedProductVersion=$VERSION.0
Translation=040904b0
FileDescription=$description
FileVersion=$VERSION
InternalName=$program.exe
LegalCopyright=$copyright
OriginalFilename=$program.exe
ProductName=tolvimer_launch
ProductVersion=$VERSION"
    [ "$fields" = "$expected_fields" ] ||
      package_fail "$program.exe version information reads back as:"$'\n'"$fields"
    manifest=$(sed '1,/^manifest:$/d' <<<"$read_back")
    grep -q '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' <<<"$manifest" ||
      package_fail "$program.exe has no manifest asking for asInvoker"
    grep -q "<assemblyIdentity type=\"win32\" name=\"$program\" version=\"$VERSION.0\"/>" \
      <<<"$manifest" || package_fail "$program.exe manifest does not name $program $VERSION.0"
    for os in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
      4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
      8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
      grep -q "<supportedOS Id=\"{$os}\"/>" <<<"$manifest" ||
        package_fail "$program.exe manifest lacks supportedOS $os"
    done
    if [ "$program" = tolvimer_settings ]; then
      grep -q 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' <<<"$manifest" ||
        package_fail "tolvimer_settings.exe manifest asks for no common controls 6 (visual styles)"
      grep -q '<dpiAwareness[^>]*>PerMonitorV2' <<<"$manifest" ||
        package_fail "tolvimer_settings.exe manifest is not per-monitor DPI aware"
    fi
  done
  # Imported as Windows' regedit imports them: the value is there, then gone.
  handler_value() {
    timeout "$E2E_TIMEOUT" wine reg query \
      'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\AutoplayHandlers\CancelAutoplay\CLSID' \
      /v "$CLSID" >/dev/null 2>&1
  }
  timeout "$E2E_TIMEOUT" wine regedit /S "$(winpath "$UNPACKED/autoplay_cancel.reg")" >/dev/null 2>&1
  handler_value || package_fail "autoplay_cancel.reg does not add the handler's value"
  timeout "$E2E_TIMEOUT" wine regedit /S "$(winpath "$UNPACKED/autoplay_cancel_undo.reg")" \
    >/dev/null 2>&1
  handler_value && package_fail "autoplay_cancel_undo.reg does not take the handler's value out"
  if [ -n "$RUN_PLAN" ]; then
    plan_version=$(timeout "$E2E_TIMEOUT" wine "$UNPACKED/tolvimer_plan.exe" --version 2>/dev/null |
      tr -d '\r')
    [ "$plan_version" = "tolvimer_plan $VERSION" ] ||
      package_fail "tolvimer_plan.exe --version prints [$plan_version]"
  fi
else
  package_fail "Wine could not be started"
fi
e2e_teardown

if [ -n "$RUN_LAUNCHER" ]; then
  echo "typical end-to-end run of the unpacked launcher:"
  bash "$REPO/tests/e2e/run_e2e.sh" "$UNPACKED/tolvimer_launch.exe" "$STANDINS" typical_run |
    sed 's/^/  /'
  [ "${PIPESTATUS[0]}" = 0 ] || package_fail "the unpacked launcher fails the typical end-to-end run"
fi

if [ "$failures" = 0 ]; then echo "package check: all checks passed"; fi
exit $((failures > 0))
