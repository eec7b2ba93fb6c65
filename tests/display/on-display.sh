#!/usr/bin/env bash
# Runs one test program on a real X server of its own: Xvfb on a free display
# number, a window manager (openbox, minimal configuration) that decides focus
# and activation as a desktop does, and the program on Qt's xcb platform. The
# server and the window manager end with the program.
set -euo pipefail
program=$1
shift

work=$(mktemp -d)
cleanup() {
  [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "${x_pid:-}" ] && kill "$x_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb writes the display number it took once it is ready to take clients.
exec 3<> "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
x_pid=$!
for _ in $(seq 100); do
  number=$(head -n 1 "$work/displayfd" 2>/dev/null || true)
  [ -n "$number" ] && break
  sleep 0.05
done
if [ -z "${number:-}" ]; then
  echo "on-display: Xvfb did not start" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$number"

cat > "$work/rc.xml" <<'XML'
<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
  <desktops><number>1</number></desktops>
</openbox_config>
XML
openbox --config-file "$work/rc.xml" >"$work/wm.log" 2>&1 &
wm_pid=$!
# The window manager is ready once it has announced itself on the root window.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done

export QT_QPA_PLATFORM=xcb
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
"$program" "$@"
