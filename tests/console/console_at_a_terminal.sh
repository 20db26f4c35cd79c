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
# session started on that socket then fails ("server exited unexpectedly"). No tmux set-up file is
# read: the user's would change what the test sees.
sessions=0
socket="quorvel-console-test-$$-$sessions"
terminal() { tmux -L "$socket" -f /dev/null "$@"; }
cleanup() {
  terminal kill-server 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# What the pane runs: a POSIX shell, whatever $SHELL names, that outlives the host to show its exit
# status. It catches SIGINT, so that the Ctrl-C typed at the host does not end it too (dash dies of
# one it does not catch; a shell that catches one lets its command end first). The process that
# becomes the host writes its pid (exec keeps it), so that SIGTERM goes to the host started here.
cat >"$work/pane" <<'EOF'
trap : INT
sh -c 'echo $$ >"$0"; exec "$@"' "$@"
echo "console ended with status $?"
sleep 30
EOF

fail() {
  echo "console at a terminal: $*" >&2
  echo "--- screen:" >&2
  terminal capture-pane -p -t console >&2 2>/dev/null || true
  echo "--- history:" >&2
  cat "$work/state/quorvel/history" >&2 2>/dev/null || true
  exit 1
}
# wait_for_screen REGEX [-J]: waits up to 20 s for the screen to show a line matching the extended
# regular expression; with -J, lines the terminal wrapped count as one (trailing spaces kept).
wait_for_screen() {
  for _ in $(seq 200); do
    if terminal capture-pane -p ${2:-} -t console 2>/dev/null | grep -Eq "$1"; then return 0; fi
    sleep 0.1
  done
  fail "the screen never showed '$1'"
}
# wait_for_prompt N: waits up to 20 s for the session's Nth prompt, that is for the console to
# await its Nth line.
wait_for_prompt() {
  for _ in $(seq 200); do
    [ "$(terminal capture-pane -p -S - -t console 2>/dev/null | grep -c '^quorvel>')" -ge "$1" ] && return 0
    sleep 0.1
  done
  fail "the screen never showed prompt number $1"
}
# start_console [OPTION...]: the host's options, --no-config if none.
start_console() {
  sessions=$((sessions + 1))
  socket="quorvel-console-test-$$-$sessions"
  terminal new-session -d -s console -x 120 -y 40 /bin/sh "$work/pane" "$work/host.pid" \
    env "XDG_STATE_HOME=$work/state" "$host" "${@:---no-config}" console || fail "tmux cannot start a session"
  wait_for_screen '^quorvel>'
}
keys() {
  terminal send-keys -t console "$@" || fail "tmux cannot send keys $*"
}
# end_of_console STATUS: waits for the host to end with the exit status STATUS.
end_of_console() {
  wait_for_screen "^console ended with status $1\$"
  terminal kill-server 2>/dev/null || true
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
keys C-d
end_of_console 0
grep -qx 'load' "$work/state/quorvel/history" || fail "the history does not hold 'load'"
grep -qx 'quorvel_factor 0.25' "$work/state/quorvel/history" || fail "the history does not hold the completed line"

# The next session walks back through the last one's lines with the arrow keys.
start_console
keys Up Enter
wait_for_screen '^from the first session$'
keys Up Up Up Enter
wait_for_screen '^quorvel> quorvel_factor 0.25$'
keys 'quit' Enter
end_of_console 0

# Ctrl-C drops the line being typed, as shells do; SIGTERM ends the console with 143, the settings
# and the history saved, the value as it was typed.
start_console --config "$work/host.cfg"
keys 'load' Enter
wait_for_screen '^loaded Quorvel '
keys 'quorvel_factor 0.6' Enter 'quorvel_factor' Enter
wait_for_screen '^quorvel_factor = "0.6"$'
# Ctrl-C only at the prompt (while a line runs it stops the host), and nothing typed on until the
# next prompt: Ctrl-C also drops what was typed ahead.
wait_for_prompt 4
keys 'quorvel_trajectory 99' C-c
wait_for_prompt 5
keys 'quorvel_trajectory' Enter
wait_for_screen '^quorvel_trajectory = "0"$'
kill -TERM "$(cat "$work/host.pid")"
end_of_console 143
grep -qx 'quorvel_factor 0.6' "$work/host.cfg" || fail "the settings do not hold the value as typed"
grep -q trajectory "$work/host.cfg" && fail "the line dropped by Ctrl-C was run"
grep -qx 'quorvel_factor 0.6' "$work/state/quorvel/history" || fail "the history was not saved"
echo "console at a terminal: passed"
