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

source "$(dirname "$0")/wine-session.sh"
wine_session_start "$build_dir/wineprefix"

cd "$build_dir"
ctest --output-on-failure --timeout 600 -j "$(nproc)" "$@"
