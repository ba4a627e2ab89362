#!/usr/bin/env bash
# A person at a terminal: the program runs in a pseudo-terminal under tmux and
# is answered at its prompt key by key; the screen then shows the dialogue.
. "$(dirname "$0")/lib.sh"

command -v tmux >/dev/null || skip "tmux is not installed"
windows && skip "a Windows console is no terminal: it ends input with Ctrl-Z"
# Each session has a server of its own: a server that kill-server has told
# to stop may still take a new session, and then end it at once.
sessions=0
tm() { tmux -S "$tmp/tmux$sessions" -f /dev/null "$@"; }
# shellcheck disable=SC2154 # s is the loop's own
trap 'for s in "$tmp"/tmux*; do tmux -S "$s" kill-server 2>/dev/null; done; rm -rf "$tmp"' EXIT
unset TMUX

# wait_for PATTERN: waits up to ten seconds for a screen line matching PATTERN.
wait_for() {
  for _ in $(seq 200); do
    tm capture-pane -p | grep -q "$1" && return
    sleep 0.05
  done
}

# session NAME SCREEN KEY...: types the KEYs (tmux key names, or text) once the
# prompt shows, and compares the screen down to the program's exit status,
# which the shell around it writes, with SCREEN (a printf format).
session() {
  local name=$1 want=$2
  shift 2
  sessions=$((sessions + 1))
  tm new-session -d -x 72 -y 12 "$(printf '%q ' "${prog[@]}"); echo \"[exit \$?]\"; sleep 60"
  wait_for "^${prompt%% *}"
  tm send-keys "$@"
  wait_for '^\[exit [0-9]*\]$'
  # Blanks at the ends of the screen's lines are not told apart from the
  # screen's own (tmux 3.5 pads every line to the pane's width), so they are
  # taken off both sides; the prompt's trailing space is the pipe tests'.
  tm capture-pane -p -N | sed 's/[[:blank:]]*$//; /^\[exit [0-9]*\]$/q' >"$tmp/screen"
  tm kill-server
  status=$(sed -n 's/^\[exit \([0-9]*\)\]$/\1/p' "$tmp/screen")
  sed '$d' "$tmp/screen" >"$tmp/out"
  : >"$tmp/err" # standard error shares the screen
  want=$(printf -- "$want" | sed 's/[[:blank:]]*$//'; echo .)
  check "$name" 0 "${want%.}" ''
}

# The README's sessions at a terminal are the examples test's.
session 'Ctrl-D at the prompt' "${prompt}\n" C-d
session 'Ctrl-D instead of a title' "${prompt}4\n\n" 4 Enter C-d

finish
