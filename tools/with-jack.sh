#!/usr/bin/env bash
# Runs a command against a private JACK server with the dummy backend, then stops
# the server by its process id. The server gets a name of its own, so several runs
# (parallel tests, a user's own JACK) do not meet; the command finds it through
# JACK_DEFAULT_SERVER, and KV_MIDI_API=jack makes our programs use it.
#
#   tools/with-jack.sh COMMAND [ARGS...]
#
# The command's exit status is the script's.
set -uo pipefail
. "$(dirname "$0")/lib/stop-by-pid.sh"

if [ $# -eq 0 ]; then
  echo "usage: $0 COMMAND [ARGS...]" >&2
  exit 2
fi

# JACK servers of one user share their registry and sockets under /dev/shm, and
# two that start at the same time break each other ("Cannot create new client"),
# so one server at a time on this machine: parallel tests and other worktrees
# wait here. The lock is held on descriptor 9, which the server and the command
# do not inherit.
lock="${TMPDIR:-/tmp}/kv-with-jack-$(id -u).lock"
exec 9>>"$lock"
if ! flock -w 600 9; then
  echo "with-jack: another JACK server has been running for 10 minutes; starting anyway" >&2
fi

name="kv-test-$$-$RANDOM"
log=$(mktemp -t kv-jackd.XXXXXX)
export JACK_DEFAULT_SERVER="$name"
export JACK_NO_AUDIO_RESERVATION=1
export JACK_NO_START_SERVER=1
export KV_MIDI_API=jack

# Synchronous mode (-S): each cycle waits for every client (up to -t ms) instead of
# dropping the data of a client that is late, as sanitizer builds on a loaded
# machine often are; MIDI then arrives late but never goes missing.
jackd -n "$name" -S -t 5000 --no-realtime -d dummy -r 48000 -p 128 >"$log" 2>&1 9>&- &
jack_pid=$!

stop_jack() {
  stop_by_pid "$jack_pid"
  rm -f "$log"
}
trap stop_jack EXIT
trap 'exit 130' INT TERM

if ! jack_wait -s "$name" -w -t 10 >/dev/null 2>&1 9>&-; then
  echo "with-jack: the JACK server did not start:" >&2
  cat "$log" >&2
  exit 1
fi

"$@" 9>&-
