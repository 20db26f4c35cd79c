#!/usr/bin/env bash
# The console at a real terminal (tmux): Tab completion, history that outlives the session, and
# plain lines with a warning when the line editing part is missing.
#
#   console_at_a_terminal.sh HOST
#
# Exit status 77 (skipped) when tmux is missing.
set -euo pipefail
host=$1
command -v tmux >/dev/null || { echo "skipped: tmux is missing (scripts/install-dependencies --tests installs it)"; exit 77; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-console.XXXXXX")
socket="quorvel-console-test-$$"
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
# start_console [HOST]
start_console() {
  tmux -L "$socket" new-session -d -s console -x 120 -y 40 \
    "env XDG_STATE_HOME='$work/state' '${1:-$host}' --no-config console; sleep 30" ||
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
# Completion of a command, of a variable, and of a command's fixed words.
keys 'lo' Tab Enter
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
end_console
# A copy of the program alone in a folder has no line editing part beside it: the console says
# why, reads plain lines, and keeps no history.
mkdir "$work/alone"
cp "$host" "$work/alone/"
rm -f "$work/state/quorvel/history"
start_console "$work/alone/$(basename "$host")"
wait_for_screen "warning: cannot load quorvel-host's line editing part '$work/alone/quorvel-host-line-editing.so'" -J
wait_for_screen 'the console reads plain lines, without editing, history or completion$' -J
keys 'echo plain lines' Enter
wait_for_screen '^plain lines$'
keys 'quorvel_f' Tab Enter
wait_for_screen 'unknown command or console variable "quorvel_f'
keys C-d
for _ in $(seq 200); do
  tmux -L "$socket" list-panes -t console -F '#{pane_current_command}' 2>/dev/null | grep -q sleep && break
  sleep 0.1
done
tmux -L "$socket" kill-server 2>/dev/null || true
[ ! -e "$work/state/quorvel/history" ] || fail "the console without line editing wrote a history"
echo "console at a terminal: passed"
