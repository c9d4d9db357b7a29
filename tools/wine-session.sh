# Sourced by the scripts that run this build's Windows programs under Wine on a virtual display:
#   wine_session_start PREFIX
# sets Wine's environment for PREFIX (created on first use), keeps one wineserver up until the
# calling script ends, starts Wine's own background processes and makes its windows unmanaged.

wine_session_start() {
    export WINEPREFIX="$1"
    export WINEARCH=win32
    export WINEDEBUG=-all
    # No Mono or Gecko: nothing here needs them. No debugger: a crash must end the program at once.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix in $WINEPREFIX"
        wineboot --init >/dev/null 2>&1
        wineserver --wait
    fi
    # A wineserver left by an earlier command without this display would serve the windows to a
    # display that is gone: wait for it to end before starting ours.
    wineserver --wait || true
    wineserver --persistent
    trap 'wineserver --kill >/dev/null 2>&1 || true' EXIT
    # Wine's own background processes start here, detached from the caller's output pipes:
    # started by the first program instead, they would hold its pipe open (and CTest would wait
    # for them for ever), and they would count in the first timing.
    wine cmd.exe /c exit </dev/null >/dev/null 2>&1
    # Without a window manager Wine waits up to 2 s for every window shown or hidden unless its
    # windows are unmanaged.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
}
