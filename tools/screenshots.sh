#!/usr/bin/env bash
# Takes the pictures of the updater's windows in docs/images/, in English and in Japanese: the
# test twin runs under Wine on a virtual X display of its own, tests/screenshots/screenshot_driver
# walks it through its windows and names each window's rectangle, and this script photographs
# that rectangle of the display (ImageMagick's import), so that a picture holds the pixels Wine
# put on the screen, frame and caption included.
#   tools/screenshots.sh [BUILD_DIR] [OUTPUT_DIR]     (defaults: build, docs/images)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "${1:-build}" && pwd)
out_dir=${2:-$root/docs/images}
mkdir -p "$out_dir"
out_dir=$(cd "$out_dir" && pwd)

if [ "${KESTRAN_SCREENSHOT_DISPLAY_READY:-}" != "$build_dir" ]; then
    export KESTRAN_SCREENSHOT_DISPLAY_READY="$build_dir"
    exec xvfb-run -a --server-args="-screen 0 1024x768x24" "$0" "$build_dir" "$out_dir"
fi

for tool in xvfb-run wine import; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is missing: tools/install-deps.sh screenshots" >&2
        exit 1
    fi
done
wine_fonts=/usr/share/wine/fonts
if [ ! -f "$wine_fonts/marlett.ttf" ]; then
    echo "Wine's fonts are missing ($wine_fonts): tools/install-deps.sh screenshots" >&2
    exit 1
fi
driver="$build_dir/tests/screenshots/screenshot_driver.exe"
[ -f "$driver" ] || { echo "$driver is missing: build first (make build)" >&2; exit 1; }

# A prefix of its own, beside the tests' one: the font settings below are for the pictures only.
export WINEPREFIX="$build_dir/screenshots-wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

# A server of this prefix left by an earlier run would put the windows on that run's display.
wineserver --kill >/dev/null 2>&1 || true
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX"
    wineboot --init >/dev/null 2>&1
    wineserver --wait
fi
# Wine's own fonts (Tahoma for "MS Shell Dlg", Marlett for the caption buttons' glyphs) come with
# Debian's fonts-wine, but this Wine looks for them in the prefix's Fonts folder only: without
# them a dialog is drawn in whatever font matches next and the close button shows an "r".
for font in "$wine_fonts"/*.ttf; do
    ln -sf "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done
wineserver --persistent
trap 'wineserver --kill >/dev/null 2>&1 || true' EXIT
wine cmd.exe /c exit </dev/null >/dev/null 2>&1
# Unmanaged windows: Wine draws their frames itself, and shows and hides them without waiting
# for a window manager.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
# The dialogs ask for "MS UI Gothic", a font of Windows that Debian does not have; IPA's
# proportional Gothic is drawn in its place (its metrics are those of the MS P Gothic family).
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d IPAPGothic /f \
    </dev/null >/dev/null 2>&1

# One walk through the windows in one language: answers each "capture" line of the driver with
# the picture of the rectangle it names.
walk() {
    local language=$1 suffix=$2 command name x y width height failed=0 pid from to
    # Only LANG chooses the language: the variables that would override it are removed.
    coproc DRIVER {
        env -u LC_ALL -u LANGUAGE -u LC_CTYPE -u LC_MESSAGES LANG="$language" \
            wine "$driver" "$suffix" 2>&1
    }
    # Bash forgets a coprocess's descriptors and id once it has ended: kept here.
    pid=$DRIVER_PID
    exec {from}<&"${DRIVER[0]}" {to}>&"${DRIVER[1]}"
    while IFS=' ' read -r command name x y width height <&"$from"; do
        command=${command%$'\r'}
        height=${height%$'\r'}
        case "$command" in
        capture)
            # Without the time stamps, a picture that has not changed is the same file.
            if import -window root -crop "${width}x${height}+${x}+${y}" +repage -strip \
                -define png:exclude-chunk=date,time "$out_dir/$name.png"; then
                echo "  $name.png (${width}x${height})"
                echo "done" >&"$to"
            else
                echo failed >&"$to"
                failed=1
            fi
            ;;
        finished) ;;
        *) echo "  driver: $command $name $x $y $width $height" ;;
        esac
    done
    exec {from}<&- {to}>&-
    wait "$pid" || failed=1
    return "$failed"
}

echo "Pictures in $out_dir"
walk en_US.UTF-8 en
walk ja_JP.UTF-8 ja
