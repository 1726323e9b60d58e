#!/bin/sh
# The Windows pass of ./test: cross-builds build-win64 and build-win32, runs
# their unit tests under Wine (ctest, with Wine as the emulator), compares
# the headless scenarios' traces with the Linux program's, opens the desktop
# once under Wine and makes the zips.
# The i686 tree is tested only when Wine can run 32-bit programs (wine32).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
WINEDEBUG=-all
export WINEDEBUG
status=0
trees=build-win64
tools/windows/cross_build.sh build-win64 build-win32
if wine build-win32/app/zimbalot.exe --version >/dev/null 2>&1; then
    trees="$trees build-win32"
else
    echo "== Windows: build-win32 built but not run (Wine cannot run 32-bit programs: install wine32)"
fi
for tree in $trees; do
    echo "== Windows: unit tests of $tree under Wine"
    ctest --test-dir "$tree" --output-on-failure -j2 || status=1
    echo "== Windows: headless traces of $tree against Linux's"
    tools/windows/compare_traces.sh "$tree" || status=1
done
# The desktop itself: a window under Wine on a virtual display, keys typed,
# screenshots left in build-win64/smoke for a person to look at.
if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null && command -v import >/dev/null; then
    echo "== Windows: desktop smoke run under Wine (build-win64/smoke)"
    tests/win32/gui_smoke.sh build-win64/app/zimbalot.exe build-win64/smoke || status=1
else
    echo "== Windows: desktop smoke run skipped (needs xvfb-run, xdotool and ImageMagick)"
fi
tools/windows/make_zip.sh build-win64 build-win32 || status=1
exit $status
