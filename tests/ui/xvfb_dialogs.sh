#!/usr/bin/env bash
# xvfb_dialogs.sh HOST OUT_DIR: the dialogs as a user reaches them through aldra-eps, on a virtual X
# display driven with keystrokes. Without a display, or with one that cannot be opened, both commands
# say so and exit 2; on the display the setup sheet's OK saves what was typed and ticked, which the
# next info and catalog use, and the property frame of a file is shown (screenshots of both go to
# OUT_DIR) and closed with Escape. The commands that show nothing never load Qt.
set -euo pipefail
host=$1
out=$2
for tool in Xvfb xdotool xwd xwdtopnm pnmtopng sqlite3; do
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

# The drawing's text goes into the notes once the setup sheet's "Add Text" is ticked.
mkdir "$work/art"
printf '%s\n' '%!PS-Adobe-3.0 EPSF-3.0' '%%Creator: Adobe Illustrator(R) 8.0' '%%BoundingBox: 0 0 200 100' \
  '%%EndComments' '%%EndSetup' '0 g' '10 10 m' '190 10 l' '100 90 l' 'f' \
  '0 To' '1 0 0 1 10 50 0 Tp' 'TP' '/_Helvetica 24 Tf' '(Harbour lights) Tx' 'TO' '%%EOF' > "$work/art/text.ai"

display=90
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done

# Qt would end the process on a display it cannot open; the program says so first.
for command in setup "properties $work/page.eps"; do
  for unusable in "-u DISPLAY" "DISPLAY=:$display" "QT_QPA_PLATFORM=nosuchplatform"; do
    status=0
    env $unusable "$host" $command 2>"$work/err" || status=$?
    [ "$status" = 2 ] || fail "$command with $unusable exited $status"
    grep -q "no display" "$work/err" || fail "$command with $unusable did not say why: $(cat "$work/err")"
  done
done

# Every process the commands start is traced, catalogue workers included.
DISPLAY=:$display LD_DEBUG=files LD_DEBUG_OUTPUT=$work/ld "$host" info "$work/art/text.ai" >/dev/null
DISPLAY=:$display LD_DEBUG=files LD_DEBUG_OUTPUT=$work/ld "$host" thumbnail "$work/art/text.ai" "$work/t.png"
DISPLAY=:$display LD_DEBUG=files LD_DEBUG_OUTPUT=$work/ld "$host" catalog -q "$work/art" --db "$work/c.sqlite" >/dev/null
grep -q "libaldra-eps.so" "$work"/ld.* || fail "LD_DEBUG traced no filter module"
! grep -l "libQt6\|libaldra-eps-ui" "$work"/ld.* >/dev/null || fail "info, thumbnail or catalog loaded Qt"
rm -f "$work"/ld.* "$work/c.sqlite"

# -noreset: a server that resets when its last client leaves refuses the next one for a moment.
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
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

# Cancel first: nothing reaches the hive.
"$host" settings >/dev/null
cp "$ALDRA_REGISTRY_DIR/user.reg" "$work/before.reg"
"$host" setup &
sheet=$!
focus "EPS Filter Setup"
xdotool key alt+r ctrl+a
xdotool type "150 dpi"
xdotool key Escape
wait "$sheet" || fail "setup exited $?"
cmp -s "$work/before.reg" "$ALDRA_REGISTRY_DIR/user.reg" || fail "a cancelled sheet wrote to the hive"

"$host" setup &
sheet=$!
focus "EPS Filter Setup"
xdotool key alt+r ctrl+a
xdotool type "150 dpi"
xdotool key ctrl+Tab ctrl+Tab ctrl+Tab
sleep 0.3
xdotool key alt+t
sleep 0.5
xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$out/setup-xvfb.png"
xdotool key Return
wait "$sheet" || fail "setup exited $?"
grep -q '"PreviewResolution"=dword:00000096' "$ALDRA_REGISTRY_DIR/user.reg" || fail "OK did not save 150 dpi"
grep -q '"AddText"=dword:00000001' "$ALDRA_REGISTRY_DIR/user.reg" || fail "OK did not save Add Text"
"$host" settings PreviewResolution | grep -q 150 || fail "the next command does not read 150"
"$host" info -f Notes --jsonl --raw "$work/art/text.ai" | grep -q "Harbour lights" ||
  fail "the next info does not add the drawing's text to the notes"
"$host" catalog -q "$work/art" --db "$work/c.sqlite" >/dev/null
sqlite3 "$work/c.sqlite" "SELECT notes FROM files" | grep -q "Harbour lights" ||
  fail "the next catalog does not add the drawing's text to the notes"

"$host" properties "$work/page.eps" &
frame=$!
focus "Properties"
xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$out/properties-xvfb.png"
xdotool key Escape
wait "$frame" || fail "properties exited $?"
echo "passed"
