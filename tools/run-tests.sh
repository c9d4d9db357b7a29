#!/usr/bin/env bash
# Runs every test of a build under Wine, in parallel, on a virtual X display of its own (never the
# caller's: a test's windows must not land on a user's desktop, and the caller's window manager
# would change how windows come and go). The build tree's Wine prefix is made once and reused;
# one wineserver stays up for the whole run and is stopped at the end.
#   tools/run-tests.sh [BUILD_DIR] [CTEST_ARGUMENTS...]
set -euo pipefail
build_dir=$(cd "${1:-build}" && pwd)
shift || true

if [ "${KESTRAN_TEST_DISPLAY_READY:-}" != "$build_dir" ]; then
    export KESTRAN_TEST_DISPLAY_READY="$build_dir"
    exec xvfb-run -a --server-args="-screen 0 1024x768x24" "$0" "$build_dir" "$@"
fi

export WINEPREFIX="$build_dir/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX"
    wineboot --init >/dev/null 2>&1
    wineserver --wait
fi

wineserver --persistent
trap 'wineserver --kill >/dev/null 2>&1 || true' EXIT
# Start Wine's own background processes here, detached from ctest's output pipes: started by the
# first test instead, they would hold its pipe open and ctest would wait for them forever.
wine cmd.exe /c exit </dev/null >/dev/null 2>&1
# Without a window manager Wine waits up to 2 s for every window shown or hidden unless its
# windows are unmanaged.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1

cd "$build_dir"
ctest --output-on-failure --timeout 600 -j "$(nproc)" "$@"
