#!/usr/bin/env bash
# Runs the benchmark programs of a build under Wine on a virtual X display of its own, with the
# Wine set-up of tools/run-tests.sh (the build tree's prefix, one wineserver for the whole run,
# unmanaged windows), and ends with the summary lines of every figure:
#   bench NAME value unit ratio goal PASS|FAIL
# A missed goal does not fail the script: the figures are a report, not a test.
#   tools/bench.sh [BUILD_DIR]
# The counts of runs can be changed with KESTRAN_BENCH_UPDATE_RUNS, KESTRAN_BENCH_DISCOVERY_RUNS,
# KESTRAN_BENCH_PROCESS_RUNS and KESTRAN_BENCH_MEMORY_RUNS.
set -euo pipefail
build_dir=$(cd "${1:-build}" && pwd)

if [ "${KESTRAN_BENCH_DISPLAY_READY:-}" != "$build_dir" ]; then
    export KESTRAN_BENCH_DISPLAY_READY="$build_dir"
    exec xvfb-run -a --server-args="-screen 0 1024x768x24" "$0" "$build_dir"
fi

source "$(dirname "$0")/wine-session.sh"
wine_session_start "$build_dir/wineprefix"

echo "Machine: $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(nproc) cores," \
     "$(wine --version)"

output=$(mktemp)
trap 'rm -f "$output"; wineserver --kill >/dev/null 2>&1 || true' EXIT
status=0
for program in engine_bench run_bench; do
    echo "== $program"
    wine "$build_dir/bench/$program.exe" </dev/null 2>&1 | tr -d '\r' | tee -a "$output" ||
        status=1
done

echo "== summary"
grep '^bench ' "$output" || true
exit "$status"
