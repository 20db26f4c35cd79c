#!/usr/bin/env bash
# The console at a real terminal (tmux): its start line, a line confirming each of load, unload,
# reload and touch, Tab completion, history that outlives the session, and quit.
#
#   console_at_a_terminal.sh HOST
#
# Exit status 77 (skipped) when tmux is missing.
set -euo pipefail
host=$1
command -v tmux >/dev/null || { echo "skipped: tmux is missing (scripts/install-dependencies --tests installs it)"; exit 77; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-console.XXXXXX")
# A server of its own for each session: one just told to stop may still hold its socket, and a
# session started on that socket then fails ("server exited unexpectedly").
sessions=0
socket="quorvel-console-test-$$-$sessions"
cleanup() {
  tmux -L "$socket" kill-server 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "console at a terminal: $*" >&2
  echo "--- screen:" >&2
  tmux -L "$socket" capture-pane -p -t console >&2 2>/dev/null || true
  echo "--- history:" >&2
  cat "$work/state/quorvel/history" >&2 2>/dev/null || true
  exit 1
}
# wait_for_screen REGEX [-J]: waits up to 20 s for the screen to show a line matching the extended
# regular expression; with -J, lines the terminal wrapped count as one (trailing spaces kept).
wait_for_screen() {
  for _ in $(seq 200); do
    if tmux -L "$socket" capture-pane -p ${2:-} -t console 2>/dev/null | grep -Eq "$1"; then return 0; fi
    sleep 0.1
  done
  fail "the screen never showed '$1'"
}
# start_console [OPTION...]: the host's options, --no-config if none.
start_console() {
  sessions=$((sessions + 1))
  socket="quorvel-console-test-$$-$sessions"
  tmux -L "$socket" new-session -d -s console -x 120 -y 40 \
    "env XDG_STATE_HOME='$work/state' '$host' ${*:---no-config} console; echo console ended with status \$?; sleep 30" ||
    fail "tmux cannot start a session"
  wait_for_screen '^quorvel>'
}
keys() {
  tmux -L "$socket" send-keys -t console "$@" || fail "tmux cannot send keys $*"
}
end_console() {
  keys C-d
  for _ in $(seq 200); do
    [ -s "$work/state/quorvel/history" ] && grep -q 'from the first session' "$work/state/quorvel/history" && break
    sleep 0.1
  done
  tmux -L "$socket" kill-server 2>/dev/null || true
}

start_console
wait_for_screen "^quorvel-host console: no plug-in is loaded \\('load' loads \".*Quorvel" -J
# Completion of a command, then the commands that print nothing in a script confirming themselves.
keys 'lo' Tab Enter
wait_for_screen '^loaded Quorvel [0-9.]+ from "'
keys 'ball 1000 -500 200' Enter 'touch 1' Enter
wait_for_screen "^team 1 \(orange\) touched the ball: velocity \(1000, -500, 200\); .* pending, due in 0.01 s" -J
keys 'reload' Enter
wait_for_screen '^reloaded Quorvel .*; the variables kept their values' -J
keys 'unload' Enter
wait_for_screen '^unloaded Quorvel '
keys 'load' Enter
# Completion of a variable, and of a command's fixed words.
keys 'quorvel_f' Tab '0.25' Enter
keys 'quorvel_factor' Enter
wait_for_screen '^quorvel_factor = "0.25"$'
keys 'trace o' Tab Tab
wait_for_screen '^off +on$'
keys C-u 'echo from the first session' Enter
wait_for_screen '^from the first session$'
end_console
grep -qx 'load' "$work/state/quorvel/history" || fail "the history does not hold 'load'"
grep -qx 'quorvel_factor 0.25' "$work/state/quorvel/history" || fail "the history does not hold the completed line"

# The next session walks back through the last one's lines with the arrow keys.
start_console
keys Up Enter
wait_for_screen '^from the first session$'
keys Up Up Up Enter
wait_for_screen '^quorvel> quorvel_factor 0.25$'
keys 'quit' Enter
wait_for_screen '^console ended with status 0$'
tmux -L "$socket" kill-server 2>/dev/null || true

# Ctrl-C drops the line being typed, as shells do; SIGTERM ends the console with 143, the settings
# and the history saved, the value as it was typed.
start_console --config "$work/host.cfg"
keys 'load' Enter
wait_for_screen '^loaded Quorvel '
# Each line seen through before the next: Ctrl-C also drops what was typed ahead.
keys 'quorvel_factor 0.6' Enter 'quorvel_factor' Enter
wait_for_screen '^quorvel_factor = "0.6"$'
keys 'quorvel_trajectory 99' C-c
keys 'quorvel_trajectory' Enter
wait_for_screen '^quorvel_trajectory = "0"$'
shell=$(tmux -L "$socket" list-panes -t console -F '#{pane_pid}')
kill -TERM "$(pgrep -P "$shell" -x quorvel-host)"
wait_for_screen '^console ended with status 143$'
grep -qx 'quorvel_factor 0.6' "$work/host.cfg" || fail "the settings do not hold the value as typed"
grep -q trajectory "$work/host.cfg" && fail "the line dropped by Ctrl-C was run"
grep -qx 'quorvel_factor 0.6' "$work/state/quorvel/history" || fail "the history was not saved"
tmux -L "$socket" kill-server 2>/dev/null || true
echo "console at a terminal: passed"
