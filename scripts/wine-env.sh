# Sourced by the scripts that run Windows programs: a quiet, project-local Wine prefix.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export PINOTE_WINEPREFIX="${PINOTE_WINEPREFIX:-$HOME/.wine-pinote}"
export WINEPREFIX="$PINOTE_WINEPREFIX"
wine_init() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: creating the prefix $WINEPREFIX (once)"
    WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -w || true
  fi
}
