#!/usr/bin/env bash
# xvfb_dialogs.sh HOST OUT_DIR: the dialogs as a user reaches them through aldra-eps, on a virtual X
# display driven with keystrokes. Without a display both commands say so and exit 2; on the display
# the setup sheet's OK saves the typed resolution, which the next command reads, and the property
# frame of a file is shown (a screenshot goes to OUT_DIR) and closed with Escape.
set -euo pipefail
host=$1
out=$2
for tool in Xvfb xdotool xwd xwdtopnm pnmtopng; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
xvfb=""
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
export ALDRA_REGISTRY_DIR=$work/registry
# In the sanitizer build the leak checker would stop every thread of aldra-eps at exit, and with the
# X connection's threads still winding down its tracer can itself crash, failing a run in which nothing
# leaked. The offscreen dialog tests check the same code for leaks; here only the keystrokes matter.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
mkdir -p "$ALDRA_REGISTRY_DIR" "$out"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
printf '%s\n' '%!PS-Adobe-3.0 EPSF-3.0' '%%BoundingBox: 0 0 72 72' '%%DocumentFonts: Times-Roman' \
  '%%+ Courier' '%%DocumentFiles: plate.tif' '%%EndComments' '0 0 moveto' 'showpage' > "$work/page.eps"

for command in setup "properties $work/page.eps"; do
  status=0
  env -u DISPLAY "$host" $command 2>"$work/err" || status=$?
  [ "$status" = 2 ] || fail "$command without a display exited $status"
  grep -q "no display" "$work/err" || fail "$command without a display did not say why: $(cat "$work/err")"
done

display=90
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:$display
# A loaded machine can take several seconds to bring the server up.
ready=""
for _ in $(seq 300); do
  if xdotool getmouselocation >/dev/null 2>&1; then ready=1; break; fi
  sleep 0.1
done
[ -n "$ready" ] || fail "Xvfb :$display did not start within 30 s"

# Waits for the window named $1 and gives it the keyboard.
focus() {
  local window
  window=$(timeout 20 xdotool search --sync --name "$1" | head -1) || fail "no window named '$1'"
  xdotool windowfocus --sync "$window"
  sleep 0.3
}

"$host" setup &
sheet=$!
focus "EPS Filter Setup"
xdotool key alt+r ctrl+a
xdotool type "150 dpi"
xdotool key Return
wait "$sheet" || fail "setup exited $?"
grep -q '"PreviewResolution"=dword:00000096' "$ALDRA_REGISTRY_DIR/user.reg" || fail "OK did not save 150 dpi"
"$host" settings PreviewResolution | grep -q 150 || fail "the next command does not read 150"

"$host" properties "$work/page.eps" &
frame=$!
focus "Properties"
xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$out/properties-xvfb.png"
xdotool key Escape
wait "$frame" || fail "properties exited $?"
echo "passed"
