# Sourced by test.sh and run.sh: a private Wine prefix, one Xvfb when there is no display of
# our own, a persistent wineserver and a keep-alive window. wine_env_stop ends all of it.
# Never end wine processes by name: other prefixes may run on this machine.

WINE_ENV_ROOT=${WINE_ENV_ROOT:-$(pwd)/build}
export WINEPREFIX=${WINEPREFIX:-$WINE_ENV_ROOT/wineprefix}
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# The machine key of the tests' settings: the volume serial of C:.
export VORBEL_TEST_SERIAL=${VORBEL_TEST_SERIAL:-1A2B3C4D}

WINE_ENV_XVFB_PID=
WINE_ENV_KEEPALIVE_PID=

wine_env_prefix() {
  if [ ! -f "$WINEPREFIX/.vorbel-ready" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    # Without a window manager every DestroyWindow would wait 2 s.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.vorbel-ready"
  fi
  printf '%s\n' "$VORBEL_TEST_SERIAL" > "$WINEPREFIX/drive_c/.windows-serial"
}

# Starts an Xvfb on the first free display number and exports DISPLAY.
wine_env_xvfb() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  WINE_ENV_XVFB_PID=$!
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.05
  done
  export DISPLAY=":$n"
}

# $1: "own" for a private Xvfb even when $DISPLAY is set. $2: keep-alive exe (optional).
wine_env_start() {
  wine_env_prefix
  if [ "${1:-own}" = own ] || [ -z "${DISPLAY:-}" ]; then
    wine_env_xvfb
  fi
  wineserver -p
  wineboot >/dev/null 2>&1 </dev/null
  if [ -n "${2:-}" ]; then
    wine "$2" >/dev/null 2>&1 </dev/null &
    WINE_ENV_KEEPALIVE_PID=$!
  fi
}

wine_env_stop() {
  wineserver -k 2>/dev/null || true
  if [ -n "$WINE_ENV_KEEPALIVE_PID" ]; then
    wait "$WINE_ENV_KEEPALIVE_PID" 2>/dev/null || true
  fi
  if [ -n "$WINE_ENV_XVFB_PID" ]; then
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
  fi
  WINE_ENV_XVFB_PID=
  WINE_ENV_KEEPALIVE_PID=
  return 0
}
