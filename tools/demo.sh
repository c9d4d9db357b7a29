#!/usr/bin/env bash
# Shows the updater at work on a simulated drive: made-up image files of our own and one drive
# file in a temporary folder, and the test twin (the product linked with the simulated drive and
# a restart that is only recorded) run on them. Nothing touches a real drive.
#   - With a usable display (DISPLAY set and answering), the twin's interactive dialog opens there
#     and the user clicks through it.
#   - Otherwise the twin runs unattended (/au) on a virtual display of its own.
# Either way the drive's firmware before and after, the commands it received and the twin's exit
# code are printed. `make demo` builds what this needs first.
#   tools/demo.sh [BUILD_DIR]
# KESTRAN_DEMO_DISPLAY=virtual says that DISPLAY is already a virtual display (the one this script
# starts for itself, or a test run's): the twin then runs unattended there.
set -euo pipefail
build_dir=$(cd "${1:-build}" && pwd)
twin="$build_dir/tests/app/updater_twin.exe"
helper="$build_dir/tests/demo/demo_drive.exe"
for program in "$twin" "$helper"; do
    [ -f "$program" ] || { echo "demo: $program is missing; run 'make demo'" >&2; exit 2; }
done

if [ "${KESTRAN_DEMO_DISPLAY:-}" = virtual ]; then
    mode=unattended
elif [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    mode=interactive
else
    if [ -n "${DISPLAY:-}" ]; then
        echo "The display $DISPLAY does not answer: running unattended on a virtual display."
    else
        echo "No display: running unattended (/au) on a virtual display."
    fi
    export KESTRAN_DEMO_DISPLAY=virtual
    exec xvfb-run -a --server-args="-screen 0 1024x768x24" bash "$0" "$build_dir"
fi

# A prefix of the demo's own: the tests' prefix keeps its windows unmanaged, which suits a
# virtual display but not a user's desktop, and a demo must not disturb a test run.
export WINEPREFIX="$build_dir/demo-wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

# A wineserver of this prefix left by an interrupted demo would still hold the display it started
# on; only this script uses the prefix, so it is ended before anything opens a window.
wineserver --kill >/dev/null 2>&1 || true
wineserver --wait >/dev/null 2>&1 || true
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the demo's Wine prefix in $WINEPREFIX (once; takes a little while)"
    wineboot --init >/dev/null 2>&1
    wineserver --wait
fi
# Without a window manager Wine waits up to 2 s for every window shown or hidden unless its
# windows are unmanaged; on the user's desktop the window manager should have them.
if [ "$mode" = unattended ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
else
    wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f </dev/null >/dev/null 2>&1 || true
fi

folder=$(mktemp -d "${TMPDIR:-/tmp}/kestran-demo.XXXXXX")
trap 'rm -rf "$folder"; wineserver --wait >/dev/null 2>&1 || true' EXIT
# Wine shows the Linux root as drive Z:.
windows_folder="Z:${folder//\//\\}"
drive_file="$windows_folder\\E.drive"
restart_log="$windows_folder\\restart.log"

echo
echo "== Kestran firmware updater: demo on a simulated drive =="
echo "Folder: $folder"
wine "$helper" prepare "$windows_folder" </dev/null

echo
if [ "$mode" = interactive ]; then
    echo "Running the test twin interactively on $DISPLAY: updater_twin.exe"
    echo "Answer the notice with Yes, press \"update\" and answer the last box with OK."
else
    echo "Running the test twin unattended: updater_twin.exe /au"
fi
# The twin runs in the folder of the images, as the product runs beside them; env and wine each
# replace themselves with the next program, so a background twin's process id is $!.
cd "$folder"
sim_drive=(env KESTRAN_SIM_DRIVES="E=$drive_file" KESTRAN_SIM_RESTART_LOG="$restart_log")
if [ "$mode" = unattended ]; then
    set +e
    "${sim_drive[@]}" wine "$twin" /au </dev/null
    twin_end=$?
    set -e
else
    # After a successful update the twin asks Windows to restart and, like the product, then
    # waits with every control disabled for the restart to end it. The restart is only recorded,
    # so the demo ends the twin in its place once the request is in the log.
    "${sim_drive[@]}" wine "$twin" </dev/null &
    twin_pid=$!
    while kill -0 "$twin_pid" 2>/dev/null && [ ! -s "$folder/restart.log" ]; do
        sleep 0.5
    done
    if kill -0 "$twin_pid" 2>/dev/null; then
        sleep 1
        echo "The twin asked for the restart of Windows; the demo ends it, as the restart would."
        kill "$twin_pid" 2>/dev/null || true
        wait "$twin_pid" || true
        twin_end=restart
    else
        set +e
        wait "$twin_pid"
        twin_end=$?
        set -e
    fi
fi
cd - >/dev/null

echo
# The helper's last line says whether the update worked, and its exit code follows it.
wine "$helper" report "$drive_file" "$restart_log" "$twin_end" </dev/null
