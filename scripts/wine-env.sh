# Sourced by the scripts that run Windows programs: quiet, project-local Wine prefixes, one for
# 64-bit programs (wine64) and one for 32-bit programs (32-bit Wine cannot share a 64-bit prefix).
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export PINOTE_WINEPREFIX="${PINOTE_WINEPREFIX:-$HOME/.wine-pinote}"
export PINOTE_WINEPREFIX32="${PINOTE_WINEPREFIX32:-$PINOTE_WINEPREFIX-32}"
export WINEPREFIX="$PINOTE_WINEPREFIX"

# wine_prefix LOADER PREFIX [WINEARCH]: creates the prefix once. Its windows are unmanaged: Xvfb
# has no window manager, and for a managed window Wine waits up to 2 s on every hide for one to
# withdraw it (every test that closes a form would pay that). Under a real desktop the windows
# then have Wine's own frames.
wine_prefix() {
  local loader=$1 prefix=$2 arch=${3:-}
  local run=(env WINEPREFIX="$prefix" WINELOADER="$loader" ${arch:+WINEARCH=$arch})
  if [ ! -f "$prefix/system.reg" ]; then
    echo "wine: creating the prefix $prefix (once)"
    "${run[@]}" "$loader" wineboot -i >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" /usr/lib/wine/wineserver -w 2>/dev/null || true  # registry on disk
  fi
  if [ -f "$prefix/system.reg" ] && ! grep -q '^"Managed"="N"' "$prefix/user.reg" 2>/dev/null; then
    "${run[@]}" "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
      >/dev/null 2>&1 || true
  fi
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver -w 2>/dev/null || true
}

wine_init() { wine_prefix /usr/lib/wine/wine64 "$PINOTE_WINEPREFIX"; }

# Prepares the 32-bit prefix; when 32-bit Windows programs cannot run here, says why on stdout
# and fails.
wine32_init() {
  local out
  if [ ! -x /usr/lib/wine/wine ]; then
    echo "32-bit Wine is not installed (no /usr/lib/wine/wine, package wine32:i386)"
    return 1
  fi
  if ! out=$(/usr/lib/wine/wine --version 2>&1); then
    echo "this machine cannot execute 32-bit programs (/usr/lib/wine/wine --version: ${out:-exit $?})"
    return 1
  fi
  wine_prefix /usr/lib/wine/wine "$PINOTE_WINEPREFIX32" win32 >&2
  if [ ! -f "$PINOTE_WINEPREFIX32/system.reg" ]; then
    echo "32-bit Wine could not create its prefix $PINOTE_WINEPREFIX32"
    return 1
  fi
}
