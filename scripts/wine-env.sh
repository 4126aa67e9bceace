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

# kelar_wine_server_up [SECONDS]: make sure the prefix's wineserver and Wine's
# own system processes (services.exe and friends) are running, started with
# their standard handles on /dev/null. Otherwise the first Windows program of
# a session starts them, they inherit its output pipe, and whoever reads that
# pipe (CTest's test discovery) waits until the wineserver ends.
# SECONDS is how long an idle server started here lingers (default: forever).
kelar_wine_server_up() {
  if kelar_wine_server_running; then return 0; fi
  (
    flock 9
    if ! kelar_wine_server_running; then
      "$KELAR_WINESERVER" -p${1:-} </dev/null >/dev/null 2>&1
      "$KELAR_WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
      # The first program that needs a desktop (cscript, anything with a
      # window) starts explorer.exe for it, which keeps that program's
      # handles for the whole session too: start it here, on /dev/null.
      printf '' > "$WINEPREFIX/drive_c/kelar-warm-up.js"
      "$KELAR_WINE" cscript.exe //nologo 'C:\kelar-warm-up.js' </dev/null >/dev/null 2>&1 || true
    fi
  ) 9>"$WINEPREFIX.lock"
}

# True when a wineserver serves $WINEPREFIX. A server works in a folder named
# after the device and inode of its prefix; the folder's parent differs
# between Wine builds, so look at the running servers instead.
kelar_wine_server_running() {
  local want pid cwd
  want="server-$(stat -c '%d %i' "$WINEPREFIX" | { read -r d i; printf '%x-%x' "$d" "$i"; })"
  for pid in $(pgrep -x 'wineserver64|wineserver' 2>/dev/null); do
    cwd="$(readlink "/proc/$pid/cwd" 2>/dev/null)" || continue
    [ "${cwd##*/}" = "$want" ] && return 0
  done
  return 1
}
