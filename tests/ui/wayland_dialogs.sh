#!/usr/bin/env bash
# wayland_dialogs.sh HOST OUT_DIR: aldra-eps shows its setup sheet and a file's property frame on a
# Wayland display without X (a headless Weston), and a screenshot of each goes to OUT_DIR. Weston
# gives no keyboard, so each dialog is closed by ending the program, which must leave the hive as it was.
set -euo pipefail
host=$1
out=$2
command -v weston >/dev/null || { echo "skipped: weston is not installed"; exit 77; }
command -v weston-screenshooter >/dev/null || { echo "skipped: weston-screenshooter is not installed"; exit 77; }
work=$(mktemp -d)
compositor=""
cleanup() {
  [ -n "$compositor" ] && kill "$compositor" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
export ALDRA_REGISTRY_DIR=$work/registry XDG_RUNTIME_DIR=$work/runtime WAYLAND_DISPLAY=aldra-test
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
mkdir -p "$ALDRA_REGISTRY_DIR" "$out"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY QT_QPA_PLATFORM
printf '%s\n' '%!PS-Adobe-3.0 EPSF-3.0' '%%BoundingBox: 0 0 72 72' '%%DocumentFonts: Courier' '%%EndComments' \
  > "$work/page.eps"

weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --use-pixman --idle-time=0 --debug \
  >"$work/weston.log" 2>&1 &
compositor=$!
for _ in $(seq 300); do [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || fail "weston did not start within 30 s"
"$host" info "$work/page.eps" >/dev/null 2>&1  # registers the module: the hive exists
cp "$ALDRA_REGISTRY_DIR/user.reg" "$work/before.reg"

# Shown once Qt's Wayland plugin is in the process and the window had time to be drawn.
show() {
  local name=$1
  shift
  "$host" "$@" &
  local dialog=$!
  local shown=""
  for _ in $(seq 100); do
    if grep -q libqwayland "/proc/$dialog/maps" 2>/dev/null; then shown=1; break; fi
    sleep 0.1
  done
  [ -n "$shown" ] || fail "$* did not come up on Wayland"
  sleep 2
  (cd "$work" && rm -f wayland-screenshot*.png && timeout 20 weston-screenshooter) || fail "no screenshot"
  mv "$work"/wayland-screenshot*.png "$out/$name-wayland.png"
  kill -0 "$dialog" 2>/dev/null || fail "$* ended on its own"
  kill "$dialog"
  wait "$dialog" 2>/dev/null || true
}
show setup setup
show properties properties "$work/page.eps"
cmp -s "$work/before.reg" "$ALDRA_REGISTRY_DIR/user.reg" || fail "a dialog closed without OK wrote to the hive"
echo "passed"
