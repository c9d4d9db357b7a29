#!/usr/bin/env bash
# The product on the Windows 98 setting runs a whole interactive update through the simulated ASPI
# library and ends in Windows' real restart, which ends every process of its Wine session. So it
# runs in a Wine prefix of its own (a copy of the build's), and the outcome is seen from here: the
# driver did not survive, and the drive file says the drive took the new firmware.
#   real_restart_test.sh <build dir> <folder of the test programs>
set -euo pipefail
build_dir=$1
programs=$2

# A display of its own too: the product switches the display's screen saver off, and its restart
# never switches it on again; the other tests' display must not see that.
if [ "${KESTRAN_RESTART_TEST_DISPLAY:-}" != 1 ]; then
    exec env KESTRAN_RESTART_TEST_DISPLAY=1 xvfb-run -a --server-args="-screen 0 1024x768x24" \
        "$0" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kestran-restart.XXXXXX")
trap 'WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

# A copy of the prefix: its files linked (Wine replaces registry files, it does not write into
# them), its registry copied.
mkdir -p "$work/prefix"
cp -al "$build_dir/wineprefix/drive_c" "$work/prefix/drive_c"
cp -a "$build_dir/wineprefix/dosdevices" "$work/prefix/dosdevices"
cp "$build_dir/wineprefix/"*.reg "$work/prefix/"
export WINEPREFIX="$work/prefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

folder="$work/product"
mkdir -p "$folder"
cp "$programs/TRELMAST_GUI.exe" "$programs/wnaspi32.dll" "$programs/restart_driver.exe" "$folder/"
windows_folder="Z:${folder//\//\\}"

# A prefix in a new place is brought up to date at its first use; that must not happen while the
# product starts.
wineboot --update </dev/null >/dev/null 2>&1
wineserver -w
wine reg add 'HKCU\Software\Wine\AppDefaults\TRELMAST_GUI.exe' /v Version /d win98 /f \
    </dev/null >/dev/null 2>&1
# Our simulated layer beside the exe, not Wine's own: the override of the program's own settings,
# since an override in the environment does not reach a process that another one starts.
wine reg add 'HKCU\Software\Wine\AppDefaults\TRELMAST_GUI.exe\DllOverrides' /v wnaspi32 \
    /d native /f </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
wine "$folder/restart_driver.exe" prepare "$windows_folder" </dev/null

set +e
timeout 180 wine "$folder/restart_driver.exe" drive "$windows_folder" </dev/null
driver=$?
set -e
wineserver -w || true
if [ "$driver" -eq 3 ]; then
    echo "FAIL: the driver survived: Windows was not restarted"
    exit 1
fi
if [ "$driver" -eq 124 ]; then
    echo "FAIL: the driver did not end"
    exit 1
fi
if ! wine "$folder/restart_driver.exe" check "$windows_folder" </dev/null; then
    echo "What the drive received:"
    cut -c1-40 "$folder/kestran.drive.journal" || true
    exit 1
fi
