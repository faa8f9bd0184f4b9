#!/usr/bin/env bash
# Runs a command against a private X server (Xvfb), then stops the server by its
# process id. Xvfb picks a free display number itself and reports it when it is ready
# to take clients; the command finds the server through DISPLAY.
#
#   tools/with-xvfb.sh COMMAND [ARGS...]
#
# The command's exit status is the script's.
set -uo pipefail
. "$(dirname "$0")/lib/stop-by-pid.sh"

if [ $# -eq 0 ]; then
  echo "usage: $0 COMMAND [ARGS...]" >&2
  exit 2
fi

log=$(mktemp -t kv-xvfb.XXXXXX)
display_file=$(mktemp -t kv-xvfb-display.XXXXXX)

# -displayfd: Xvfb chooses the first free display number and writes it to the
# descriptor once it listens, so parallel runs never pick the same one. -noreset: the
# server would otherwise reset whenever its last client leaves, and refuse a program
# that connects meanwhile (tools that connect only briefly, then a program's start).
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$display_file" >"$log" 2>&1 &
xvfb_pid=$!

stop_xvfb() {
  stop_by_pid "$xvfb_pid"
  rm -f "$log" "$display_file"
}
trap stop_xvfb EXIT
trap 'exit 130' INT TERM

display=
for _ in $(seq 100); do
  display=$(tr -dc '0-9' <"$display_file")
  [ -n "$display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$display" ]; then
  echo "with-xvfb: the X server did not start:" >&2
  cat "$log" >&2
  exit 1
fi

export DISPLAY=":$display"
"$@"
