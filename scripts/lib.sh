# Shared settings of the scripts. Source it; it defines no commands that run.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The architecture whose programs this machine can run under Wine. The
# shipped program is i686; where 32-bit Linux processes cannot start (so
# Wine's 32-bit loader cannot either), tests run the x86_64 build of the
# same sources under wine64.
pelmora_test_arch() {
  if [ -n "${PELMORA_TEST_ARCH:-}" ]; then echo "$PELMORA_TEST_ARCH"; return; fi
  if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo i686
  else
    echo x86_64
  fi
}

# Wine loader for an architecture.
pelmora_wine_for() {
  case "$1" in
    i686) echo /usr/lib/wine/wine ;;
    *) echo /usr/lib/wine/wine64 ;;
  esac
}

pelmora_build_dir() { echo "$ROOT/build/$1"; }

# Environment for running our programs under Wine: the project's own prefix,
# a Japanese locale (ANSI code page 932), quiet Wine.
pelmora_wine_env() {
  local arch=$1
  export WINEPREFIX="${WINEPREFIX:-$(pelmora_build_dir "$arch")/wineprefix}"
  export WINEARCH=$([ "$arch" = i686 ] && echo win32 || echo win64)
  export WINELOADER=$(pelmora_wine_for "$arch")
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
}

# Creates the prefix when missing (a few seconds, once).
pelmora_ensure_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINELOADER" wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
    # The forms ask for the usual Japanese UI font; map it to the installed one.
    "$WINELOADER" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
      /v 'ＭＳ Ｐゴシック' /d 'IPAPGothic' /f >/dev/null 2>&1 || true
    wineserver -w || true
  fi
  # Without a window manager Wine waits for each managed window to close;
  # unmanaged windows make dialog-driven tests several times faster.
  if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w || true
  fi
}

# Starts a private virtual display; sets DISPLAY and XVFB_PID.
pelmora_start_xvfb() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.1
  done
  echo "Xvfb did not start" >&2
  return 1
}

pelmora_stop_xvfb() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  fi
}

# Configures (when needed) and builds one architecture.
pelmora_build() {
  local arch=$1 type=${2:-Debug} dir
  dir=$(pelmora_build_dir "$arch")
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw.cmake" \
      -DPELMORA_ARCH="$arch" -DCMAKE_BUILD_TYPE="$type" >/dev/null
  fi
  cmake --build "$dir"
}
