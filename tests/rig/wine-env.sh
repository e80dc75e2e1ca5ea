# Sourced by test.sh, run.sh, the demo and the bench: which Windows build runs here, a private
# Wine prefix for it, one Xvfb when there is no display of our own, a persistent wineserver and
# a keep-alive window. wine_env_stop ends all of it.
# Never end wine processes by name: other prefixes may run on this machine.

WINE_ENV_ROOT=${WINE_ENV_ROOT:-$(pwd)/build}
WINE_ENV_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# The x64 build's prefix takes this name with "-x64": a prefix is made for one architecture.
WINE_ENV_PREFIX_BASE=${WINEPREFIX:-$WINE_ENV_ROOT/wineprefix}
WINE_ENV_PATH=$PATH
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# The machine key of the tests' settings: the volume serial of C:.
export VORBEL_TEST_SERIAL=${VORBEL_TEST_SERIAL:-1A2B3C4D}

WINE_ENV_XVFB_PID=
WINE_ENV_KEEPALIVE_PID=
. "$WINE_ENV_HERE/emulated-i386.sh"

# The two Windows builds: x86 (build/win32), the release build that runs on every Windows, and
# x64 (build/win64). VORBEL_ARCHS chooses among them, e.g. VORBEL_ARCHS=x64; both by default.
wine_archs_wanted() { echo "${VORBEL_ARCHS:-x86 x64}"; }
wine_arch_build() { case $1 in x86) echo win32 ;; x64) echo win64 ;; *) return 1 ;; esac; }

# Whether this host runs the build's Wine, found by trying: some kernels refuse every 32-bit
# Linux program, wine32 among them (whatever binfmt_misc handler another run registered).
wine_arch_runs() {
  case $1 in
    x86) emu_i386_kernel_runs && /usr/lib/wine/wine --version >/dev/null 2>&1 ;;
    x64) /usr/lib/wine/wine64 --version >/dev/null 2>&1 ;;
    *) return 1 ;;
  esac
}

# Why wine_arch_runs said no, for the summary.
wine_arch_why_not() {
  if [ "$1" = x86 ] && ! emu_i386_kernel_runs; then
    echo "this kernel cannot start 32-bit programs"
  else
    echo "its Wine does not start here"
  fi
}

# The one build that run.sh, the demo and the bench use: x86 where it runs, else x64.
wine_arch_pick() {
  local a
  for a in $(wine_archs_wanted); do
    if wine_arch_runs "$a"; then echo "$a"; return 0; fi
  done
  echo "none of the builds ($(wine_archs_wanted)) can run under Wine here" >&2
  return 1
}

# Selects the build that the following Wine commands run: WINE_ARCH, WINE_ARCH_BIN (its
# binaries), WINEARCH, WINEPREFIX and, for x64, the 64-bit wrappers first on PATH (Debian's
# wine picks the 32-bit loader whenever its file exists, even where it cannot run).
wine_arch_use() {
  WINE_ARCH=$1
  WINE_ARCH_BIN=$WINE_ENV_ROOT/$(wine_arch_build "$1")/bin
  case $1 in
    x86) export WINEARCH=win32 WINEPREFIX=$WINE_ENV_PREFIX_BASE PATH=$WINE_ENV_PATH ;;
    x64) export WINEARCH=win64 WINEPREFIX=$WINE_ENV_PREFIX_BASE-x64 PATH=$WINE_ENV_HERE/wine64:$WINE_ENV_PATH ;;
  esac
}

# Each start below is bounded: a part that cannot start fails at once, saying what and how to
# get it, instead of waiting.
WINE_ENV_HINT="packages wine and wine64, tools/install-deps.sh installs them"
# wine_env_bounded SECONDS COMMAND...: in the caller's process group, so that ending a part
# ends it too. Under user-mode emulation every 32-bit start is far slower: WINE_ENV_SCALE
# multiplies the bounds.
wine_env_bounded() {
  local seconds=$1
  shift
  timeout --foreground -k 10 $((seconds * ${WINE_ENV_SCALE:-1})) "$@"
}

wine_env_prefix() {
  if [ ! -f "$WINEPREFIX/.vorbel-ready" ]; then
    echo "Creating the Wine prefix $WINEPREFIX ($WINEARCH)"
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    # Without a window manager every DestroyWindow would wait 2 s.
    if ! wine_env_bounded 300 wineboot -i >/dev/null 2>&1 </dev/null || ! wine_env_bounded 120 wineserver -w ||
       ! wine_env_bounded 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null ||
       ! wine_env_bounded 120 wineserver -w || [ ! -f "$WINEPREFIX/system.reg" ]; then
      wine_env_bounded 30 wineserver -k 2>/dev/null || true
      echo "the Wine prefix $WINEPREFIX could not be made: wineboot failed or took too long ($WINE_ENV_HINT)" >&2
      return 1
    fi
    touch "$WINEPREFIX/.vorbel-ready"
  fi
  # Debian's Wine does not load its own fonts from where fonts-wine installs them: Marlett, which
  # draws the caption buttons and scroll arrows (a close box shows "r" without it), goes where
  # Windows keeps it.
  if [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ] &&
     ! cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"; then
    echo "Wine's Marlett font is missing (package fonts-wine, tools/install-deps.sh installs it)" >&2
    return 1
  fi
  printf '%s\n' "$VORBEL_TEST_SERIAL" > "$WINEPREFIX/drive_c/.windows-serial"
}

# wine_env_wait_x N PID NAME PACKAGE: waits (10 s at most) for X server :N, started as PID.
wine_env_wait_x() {
  for _ in $(seq 1 200); do
    [ -e "/tmp/.X11-unix/X$1" ] && return 0
    kill -0 "$2" 2>/dev/null || break
    sleep 0.05
  done
  echo "$3 did not start on :$1 (package $4, tools/install-deps.sh installs it)" >&2
  return 1
}

# Starts an Xvfb on the first free display number and exports DISPLAY.
wine_env_xvfb() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  WINE_ENV_XVFB_PID=$!
  wine_env_wait_x "$n" "$WINE_ENV_XVFB_PID" Xvfb xvfb || return 1
  export DISPLAY=":$n"
}

# $1: "own" for a private Xvfb even when $DISPLAY is set. $2: keep-alive exe (optional).
# Runs the build chosen by wine_arch_use.
wine_env_start() {
  wine_env_prefix || return 1
  if [ "${1:-own}" = own ] || [ -z "${DISPLAY:-}" ]; then
    [ -n "$WINE_ENV_XVFB_PID" ] || wine_env_xvfb || return 1
  fi
  if ! wine_env_bounded 60 wineserver -p || ! wine_env_bounded 120 wineboot >/dev/null 2>&1 </dev/null; then
    echo "Wine did not start in $WINEPREFIX ($WINE_ENV_HINT)" >&2
    return 1
  fi
  if [ -n "${2:-}" ]; then
    wine "$2" >/dev/null 2>&1 </dev/null &
    WINE_ENV_KEEPALIVE_PID=$!
    # It runs until the end: gone within its first second, it could not start.
    sleep 1
    if ! kill -0 "$WINE_ENV_KEEPALIVE_PID" 2>/dev/null; then
      WINE_ENV_KEEPALIVE_PID=
      echo "the keep-alive $2 did not start under Wine ($WINE_ENV_HINT)" >&2
      return 1
    fi
  fi
}

# Ends the wineserver of the current prefix; the X screen stays for the next build, unless $1 is
# "all" (the default).
wine_env_stop() {
  wine_env_bounded 30 wineserver -k 2>/dev/null || true
  if [ -n "$WINE_ENV_KEEPALIVE_PID" ]; then
    # It ends with its wineserver; ours to end when it does not.
    for _ in $(seq 1 100); do kill -0 "$WINE_ENV_KEEPALIVE_PID" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$WINE_ENV_KEEPALIVE_PID" 2>/dev/null || true
    wait "$WINE_ENV_KEEPALIVE_PID" 2>/dev/null || true
  fi
  WINE_ENV_KEEPALIVE_PID=
  if [ "${1:-all}" = all ] && [ -n "$WINE_ENV_XVFB_PID" ]; then
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    WINE_ENV_XVFB_PID=
  fi
  return 0
}
