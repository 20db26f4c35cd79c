#!/usr/bin/env bash
# Drives quorvel-host's live window with real X input, under a virtual X server of its own.
#
#   drive_live_window.sh SCENARIO HOST PROBE [THREADS]
#
# SCENARIO: orange_box, orange_touch, factor_slider, reload or watch. HOST is quorvel-host, PROBE the
# screenshot probe, THREADS the host's thread arrangement (one, the default, or separate). Widget
# positions come from the window's own layout file (gui --layout), which also has the lines of text
# the window shows, its log's among them; the outcome is read from what the host gives anyway: the
# plug-in's log lines on standard output, the saved settings after exit, the layout, and the picture
# of the window as it closed (gui --screenshot).
# Exit status 77 (skipped) when Xvfb or xdotool is missing.
set -euo pipefail
scenario=$1 host=$2 probe=$3 threads=${4:-one}

for program in Xvfb xdotool; do
  if ! command -v "$program" >/dev/null; then
    echo "skipped: $program is missing (scripts/install-dependencies --tests installs xvfb and xdotool)"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-live-window.XXXXXX")
xvfb_pid= host_pid=
cleanup() {
  # A host still running here has failed the test already; one that hangs must not hang the test.
  [ -n "$host_pid" ] && kill -KILL "$host_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "live_window.$scenario: $*" >&2
  for file in out err layout host.cfg; do
    [ -e "$work/$file" ] && { echo "--- $file:"; cat "$work/$file"; } >&2
  done
  exit 1
}

# Waits up to 30 s for FILE to match the extended regular expression.
wait_for() {
  local file=$1 pattern=$2
  for _ in $(seq 300); do
    if [ -e "$file" ] && grep -Eq "$pattern" "$file"; then return 0; fi
    sleep 0.1
  done
  fail "waited in vain for '$pattern' in $(basename "$file")"
}

# A virtual screen on the first free display; Xvfb names it on the descriptor.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.err" &
xvfb_pid=$!
wait_for "$work/display" '^[0-9]+$'
export DISPLAY=":$(cat "$work/display")"
export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"

# The watch scenario watches a copy of the module, which it then writes over as a build would.
module=$(dirname "$host")/Quorvel.so
gui_options=()
if [ "$scenario" = watch ]; then
  cp "$module" "$work/Quorvel.so"
  module="$work/Quorvel.so"
  gui_options=(--watch)
fi
"$host" --threads "$threads" --module "$module" --config "$work/host.cfg" gui "${gui_options[@]}" --layout "$work/layout" \
  --screenshot "$work/shot.png" >"$work/out" 2>"$work/err" &
host_pid=$!
wait_for "$work/layout" '^orange_touch '
wait_for "$work/layout" '^variable:quorvel_trajectory '
# Waits up to 30 s for the window, never for ever: a run that hangs says where.
window=
for _ in $(seq 300); do
  window=$(xdotool search --name '^Quorvel - stand-in host$' 2>/dev/null | head -n 1) || true
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "found no window named 'Quorvel - stand-in host' within 30 s"

# rect NAME: the widget's "X0 Y0 X1 Y1", whole pixels.
rect() {
  local line
  line=$(grep -E "^$1 " "$work/layout") || fail "the layout has no widget $1"
  awk '{ printf "%d %d %d %d\n", $2, $3, $4, $5 }' <<<"$line"
}
# The check box's square: as tall as the widget, as wide as it is tall.
square() {
  read -r x0 y0 x1 y1 <<<"$(rect "$1")"
  echo "$x0 $y0 $((x0 + y1 - y0)) $y1"
}
center_of() {
  read -r x0 y0 x1 y1 <<<"$1"
  echo "$(((x0 + x1) / 2)) $(((y0 + y1) / 2))"
}
# Moves the pointer there, then presses and releases the left button, a few frames apart.
click() {
  xdotool mousemove --window "$window" $1 $2
  sleep 0.3
  xdotool mousedown 1
  sleep 0.3
  xdotool mouseup 1
  sleep 0.3
}
tick_orange() {
  click $(center_of "$(square variable:quorvel_enabled_orange)")
  # Saved shortly after the change.
  wait_for "$work/host.cfg" '^quorvel_enabled_orange 1$'
}
# orange_touch_logs [N]: touches, then waits for the plug-in's Nth answer (the first by default).
orange_touch_logs() {
  local answers=${1:-1}
  click $(center_of "$(rect orange_touch)")
  for _ in $(seq 300); do
    [ "$(grep -c '^\[Quorvel\] Trajectory zero$' "$work/out")" -ge "$answers" ] && return 0
    sleep 0.1
  done
  fail "waited in vain for the plug-in's answer number $answers"
}
# ticked NAME: the number of check-mark pixels in the check box's square in the last picture.
ticked() {
  "$probe" "$work/shot.png" $(square "$1")
}
# arena_pixels R G B: the number of pixels of that colour in the arena seen from above, in the last
# picture: white is the ball and its path, orange an orange touch's mark. (The view's text is greyer.)
arena_pixels() {
  "$probe" "$work/shot.png" $(rect arena_above) "$@"
}
stop_host() {
  kill -TERM "$host_pid"
  # Up to 60 s for the host to save and exit; past that, what each of its threads waits in.
  for _ in $(seq 600); do
    kill -0 "$host_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$host_pid" 2>/dev/null; then
    for task in /proc/"$host_pid"/task/*; do
      echo "thread $(cat "$task/comm" 2>/dev/null) waits in $(cat "$task/wchan" 2>/dev/null)" >&2
    done
    fail "the host did not exit within 60 s of SIGTERM"
  fi
  local status=0
  wait "$host_pid" || status=$?
  host_pid=
  # Stopped by SIGTERM, saved as when closed: 128 + 15, as a shell says it.
  [ "$status" = 143 ] || fail "the host exited with status $status"
  [ -s "$work/shot.png" ] || fail "the host left no picture"
}

case "$scenario" in
  orange_box)
    tick_orange
    stop_host
    orange=$(ticked variable:quorvel_enabled_orange)
    blue=$(ticked variable:quorvel_enabled_blue)
    [ "$orange" -ge 10 ] || fail "the orange box does not look ticked ($orange check-mark pixels)"
    [ "$blue" -eq 0 ] || fail "the blue box looks ticked ($blue check-mark pixels)"
    grep -q '^quorvel_enabled_blue' "$work/host.cfg" && fail "the blue switch, never changed, was saved"
    # Nobody touched the ball: the arena shows neither a ball nor a touch.
    [ "$(arena_pixels 255 255 255)" -eq 0 ] || fail "the arena shows a ball, yet nobody touched one"
    [ "$(arena_pixels 255 150 40)" -eq 0 ] || fail "the arena shows an orange touch, yet there was none"
    ;;
  orange_touch)
    # Switched off, a touch leaves the speed alone and logs nothing.
    click $(center_of "$(rect orange_touch)")
    sleep 0.5
    grep -q 'Quorvel' "$work/out" && fail "a touch by a switched-off team logged something"
    tick_orange
    orange_touch_logs
    # The touch list's newest row is the response, with its speed ratio.
    wait_for "$work/layout" '^last_touch_row [0-9. ]+ s  plug-in: speed x[0-9]+\.[0-9]{3}, turned '
    stop_host
    [ "$(grep -c '^\[Quorvel\] Trajectory zero$' "$work/out")" = 1 ] || fail "expected one response to one touch"
    # The ball flew, and both touches are marked where they happened.
    ball=$(arena_pixels 255 255 255) marks=$(arena_pixels 255 150 40)
    [ "$ball" -ge 20 ] || fail "the arena shows no ball in flight ($ball white pixels)"
    [ "$marks" -ge 20 ] || fail "the arena shows no orange touch ($marks orange pixels)"
    ;;
  factor_slider)
    read -r x0 y0 x1 y1 <<<"$(rect variable:quorvel_factor)"
    width=$(awk '$1 == "panel_item_width" { printf "%d", $2 }' "$work/layout")
    [ -n "$width" ] || fail "the layout has no panel_item_width"
    y=$(((y0 + y1) / 2))
    # From the middle of the track to a quarter of it, dragged in steps.
    xdotool mousemove --window "$window" $((x0 + width / 2)) $y
    sleep 0.3
    xdotool mousedown 1
    for step in 1 2 3 4; do
      xdotool mousemove --window "$window" $((x0 + width / 2 - step * width / 16)) $y
      sleep 0.1
    done
    sleep 0.3
    xdotool mouseup 1
    wait_for "$work/host.cfg" '^quorvel_factor 0\.[0-9]+$'
    stop_host
    factor=$(awk '$1 == "quorvel_factor" { print $2 }' "$work/host.cfg")
    awk -v f="$factor" 'BEGIN { exit !(f > 0.1 && f < 0.4) }' || fail "the factor is $factor, not about a quarter"
    ;;
  reload)
    tick_orange
    click $(center_of "$(rect reload)")
    wait_for "$work/out" '^quorvel-host: reloaded '
    # The reloaded plug-in answers touches, with the value kept in the host.
    orange_touch_logs
    stop_host
    grep -qx 'quorvel_enabled_orange 1' "$work/host.cfg" || fail "the orange switch was not kept"
    orange=$(ticked variable:quorvel_enabled_orange)
    [ "$orange" -ge 10 ] || fail "after the reload the orange box does not look ticked ($orange)"
    ;;
  watch)
    tick_orange
    orange_touch_logs 1
    # Written over in place, in two steps, as a copy or a build does: the host must neither crash
    # nor load the half-written file, and says why the garbage does not load.
    head -c 1000 "$(dirname "$host")/Quorvel.so" >"$module"
    sleep 0.2
    echo "not a module" >"$module"
    wait_for "$work/err" "^quorvel-host: reload: cannot load '$module'"
    grep -q '^quorvel-host: reloaded' "$work/out" && fail "a file that is not a module was taken as reloaded"
    # The plug-in that works stays loaded and answers.
    orange_touch_logs 2
    cp "$(dirname "$host")/Quorvel.so" "$module"
    wait_for "$work/out" '^quorvel-host: reloaded '
    # The new build answers touches with the values kept in the host.
    orange_touch_logs 3
    stop_host
    grep -qx 'quorvel_enabled_orange 1' "$work/host.cfg" || fail "the orange switch was not kept"
    # The window's log lists them in the order they happened (a file seen half written may be
    # refused twice in a row).
    shown=$(grep '^log_line_' "$work/layout" | cut -d ' ' -f 6- | sed -E 's/^(error: reload|reloaded)[: ].*/\1/' | uniq)
    [ "$shown" = $'[Quorvel] Trajectory zero\nerror: reload\n[Quorvel] Trajectory zero\nreloaded\n[Quorvel] Trajectory zero' ] ||
      fail "the log window lists, in this order: $shown"
    ;;
  *)
    fail "unknown scenario"
    ;;
esac
echo "live_window.$scenario: passed"
