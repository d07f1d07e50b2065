#!/usr/bin/env bash
# The operator's main journeys through the real program: a virtual display with a window manager,
# the accessibility bus to read what the windows show, xdotool for the keyboard and the mouse.
#   run_journey.sh ORBEX5_BINARY HAMLOGDB_BINARY SHOTS_DIR
# Screenshots of a failing step are kept in SHOTS_DIR.
set -euo pipefail
ORBEX="$1" HAMLOGDB="$2" SHOTS="$3"
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$HERE/../../scripts/lib/setup.sh"

WORK="$(mktemp -d)"
cleanup() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

orbex_prepare_demo "$WORK/ORBEX5" "$WORK/HAMLOG" "$HAMLOGDB" >/dev/null 2>&1
rm -rf "$SHOTS" && mkdir -p "$SHOTS"

# A display of its own: Xvfb picks a free number and writes it to fd 3.
exec 3>"$WORK/display"
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
[ -s "$WORK/display" ] || { cat "$WORK/xvfb.log"; echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$WORK/display")"

unset QT_QPA_PLATFORM
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 ORBEX_HOME="$WORK/ORBEX5" XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
dbus-run-session -- bash -c '
  openbox >"$1/openbox.log" 2>&1 &
  /usr/libexec/at-spi-bus-launcher --launch-immediately >"$1/atspi.log" 2>&1 &
  /usr/bin/python3 "$2/journey.py" --orbex "$3" --hamlogdb "$4" --home "$1/ORBEX5" --hamlog "$1/HAMLOG" --shots "$5" ${JOURNEY_ARGS:-}
' journey "$WORK" "$HERE" "$ORBEX" "$HAMLOGDB" "$SHOTS"
