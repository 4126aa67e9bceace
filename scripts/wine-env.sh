# Shared Wine settings for the project's scripts (sourced, not run).
# Debian's wine64 package puts the loader and the server outside PATH.
KELAR_WINE=/usr/lib/wine/wine64
KELAR_WINESERVER=/usr/lib/wine/wineserver
[ -x "$KELAR_WINE" ] || KELAR_WINE="$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)"
[ -x "$KELAR_WINESERVER" ] || KELAR_WINESERVER="$(command -v wineserver || echo /usr/lib/wine/wineserver)"

export WINEDEBUG="${WINEDEBUG:--all}"
# Never look for the Mono or Gecko installers.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64

# kelar_wine_prefix DIR: export WINEPREFIX=DIR, creating the prefix once
# (about 10 s). Concurrent callers wait for the first one.
kelar_wine_prefix() {
  export WINEPREFIX="$1"
  if [ ! -f "$WINEPREFIX/.kelar-ready" ]; then
    mkdir -p "$WINEPREFIX"
    (
      flock 9
      if [ ! -f "$WINEPREFIX/.kelar-ready" ]; then
        "$KELAR_WINE" wineboot -i >/dev/null 2>&1 || true
        "$KELAR_WINESERVER" -w
        touch "$WINEPREFIX/.kelar-ready"
      fi
    ) 9>"$WINEPREFIX.lock"
  fi
}
