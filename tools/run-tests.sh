#!/usr/bin/env bash
# Runs every test of a build under Wine, on a virtual X display. The build tree's Wine prefix is
# made once and reused; one wineserver stays up for the whole run and is stopped at the end.
set -euo pipefail
build_dir=$(cd "${1:-build}" && pwd)

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a --server-args="-screen 0 1024x768x24" "$0" "$build_dir"
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

cd "$build_dir"
ctest --output-on-failure --timeout 600
