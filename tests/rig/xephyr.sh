# Sourced by tests/rig/monitors.sh: an X screen made of several monitors, for Wine. Xephyr with
# Xinerama runs inside an Xvfb large enough to hold it (Xvfb's own +xinerama puts every screen at
# the origin). With UseXRandR=N in the prefix, Wine reports each Xinerama head as a monitor.
# xephyr_stop ends both servers; it never touches an X server it did not start. Needs wine-env.sh.

XEPHYR_XVFB_PID=
XEPHYR_PID=

xephyr_free_display() {
  local n=$1
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  echo "$n"
}

# $@: the monitors as WxH+X+Y, the primary first. Exports DISPLAY.
xephyr_start() {
  local s w=0 h=0 host n args=()
  for s in "$@"; do
    local size=${s%%+*} at=${s#*+}
    local sw=${size%x*} sh=${size#*x} sx=${at%+*} sy=${at#*+}
    [ $((sx + sw)) -gt "$w" ] && w=$((sx + sw))
    [ $((sy + sh)) -gt "$h" ] && h=$((sy + sh))
    args+=(-screen "$s")
  done
  host=$(xephyr_free_display 150)
  Xvfb ":$host" -screen 0 "${w}x${h}x24" -nolisten tcp >/dev/null 2>&1 &
  XEPHYR_XVFB_PID=$!
  wine_env_wait_x "$host" "$XEPHYR_XVFB_PID" Xvfb xvfb || return 1
  n=$(xephyr_free_display $((host + 1)))
  DISPLAY=":$host" Xephyr ":$n" +xinerama "${args[@]}" -nolisten tcp >/dev/null 2>&1 &
  XEPHYR_PID=$!
  wine_env_wait_x "$n" "$XEPHYR_PID" Xephyr xserver-xephyr || return 1
  export DISPLAY=":$n"
}

xephyr_stop() {
  local pid
  for pid in $XEPHYR_PID $XEPHYR_XVFB_PID; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  XEPHYR_PID=
  XEPHYR_XVFB_PID=
  return 0
}
