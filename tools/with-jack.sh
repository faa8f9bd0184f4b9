#!/usr/bin/env bash
# Runs a command against a private JACK server with the dummy backend, then stops
# the server by its process id. The command finds the server through
# JACK_DEFAULT_SERVER, and KV_MIDI_API=jack makes our programs use it.
#
#   tools/with-jack.sh [--time-limit SECONDS] COMMAND [ARGS...]
#
# The command's exit status is the script's. With --time-limit the command is
# stopped (status 124) once it has run that long, counted from its own start, not
# from the script's: a test's time-out then does not include the wait for a server.
#
# JACK registers at most 8 servers per machine, and a server that died without
# cleaning up keeps its place until a server of the same name starts again. So our
# servers take their names from a small fixed set ("kv-test-<uid>-<n>"): a place
# that one of ours left behind is taken back by the next run, and places left by
# servers of ours that had other names (kv-test-*, kv-jack-*) are taken back by
# starting such a server once and stopping it cleanly. Servers of other names,
# the user's own among them, are never touched; when they fill every place, the
# script waits for one to end, then says plainly why it gives up.
set -uo pipefail
. "$(dirname "$0")/lib/stop-by-pid.sh"

time_limit=
if [ "${1:-}" = "--time-limit" ]; then
  time_limit=${2:?"--time-limit needs a number of seconds"}
  shift 2
fi
if [ $# -eq 0 ]; then
  echo "usage: $0 [--time-limit SECONDS] COMMAND [ARGS...]" >&2
  exit 2
fi

uid=$(id -u)
name_count=8
place_wait_seconds=${KV_JACK_PLACE_WAIT:-120}

# Servers run side by side, each with its own clients; what they share is JACK's
# registry of servers and shared memory under /dev/shm, which a starting server
# rewrites (it takes its place and clears what dead servers left): two servers that
# start at the same time can break each other. So only the start is one at a time on
# this machine: the lock is held while a name is chosen and the server comes up
# (seconds, bounded by the waits below), and let go before the command runs. It is
# held on descriptor 9, which the server and the command do not inherit. (Its name
# differs from that of the lock earlier versions of this script held for the whole
# command, so that their long runs do not hold up the start of ours.)
lock="${TMPDIR:-/tmp}/kv-jack-start-$uid.lock"
exec 9>>"$lock"
take_start_lock() {
  if ! flock -w 300 9; then
    echo "with-jack: another JACK server has been starting for 5 minutes; giving up" >&2
    exit 1
  fi
}

export JACK_NO_AUDIO_RESERVATION=1
export JACK_NO_START_SERVER=1

server_running() { # name
  pgrep -u "$uid" -f -- "jackd -n $1( |$)" >/dev/null 2>&1
}

# Names of servers of ours that left their socket behind without a process.
stale_names() {
  local socket name
  for socket in /dev/shm/jack_kv-test-*_"$uid"_0 /dev/shm/jack_kv-jack-*_"$uid"_0; do
    [ -S "$socket" ] || continue
    name=${socket#/dev/shm/jack_}
    name=${name%_"$uid"_0}
    server_running "$name" || echo "$name"
  done
}

# Starts a server of the given name once and stops it cleanly, which gives its
# place in the registry back.
reclaim() { # name
  local log pid
  log=$(mktemp -t kv-jackd-reclaim.XXXXXX)
  jackd -n "$1" --no-realtime -d dummy -r 48000 -p 128 >"$log" 2>&1 9>&- &
  pid=$!
  jack_wait -s "$1" -w -t 5 >/dev/null 2>&1 9>&-
  stop_by_pid "$pid"
  rm -f "$log"
}

reclaim_stale_places() {
  local stale
  for stale in $(stale_names); do reclaim "$stale"; done
}

pick_name() {
  local n
  for n in $(seq 0 $((name_count - 1))); do
    if ! server_running "kv-test-$uid-$n"; then
      echo "kv-test-$uid-$n"
      return
    fi
  done
  echo "kv-test-$uid-$$"
}

log=$(mktemp -t kv-jackd.XXXXXX)
jack_pid=
stop_jack() {
  [ -n "$jack_pid" ] && stop_by_pid "$jack_pid"
  rm -f "$log"
}
trap stop_jack EXIT
trap 'exit 130' INT TERM

# Synchronous mode (-S): each cycle waits for every client (up to -t ms) instead of
# dropping the data of a client that is late, as sanitizer builds on a loaded
# machine often are; MIDI then arrives late but never goes missing.
start_server() { # name
  # The server ends with this script even when the script is killed (a test's
  # time-out), so no orphaned server keeps a place in the registry.
  setpriv --pdeathsig TERM -- jackd -n "$1" -S -t 5000 --no-realtime -d dummy -r 48000 -p 128 \
    >"$log" 2>&1 9>&- &
  jack_pid=$!
  # The bound is generous: a starting server on a machine loaded by builds can be slow.
  if jack_wait -s "$1" -w -t 30 >/dev/null 2>&1 9>&-; then
    return 0
  fi
  stop_by_pid "$jack_pid"
  jack_pid=
  return 1
}

take_start_lock
reclaim_stale_places
deadline=$((SECONDS + place_wait_seconds))
while :; do
  name=$(pick_name)
  start_server "$name" && break
  if ! grep -q "Too many servers" "$log"; then
    echo "with-jack: the JACK server did not start:" >&2
    cat "$log" >&2
    exit 1
  fi
  if [ "$SECONDS" -ge "$deadline" ]; then
    echo "with-jack: gave up after ${place_wait_seconds} s: JACK allows 8 servers per machine, and all" >&2
    echo "  8 places are held by servers of other names, running or left by servers that did not end" >&2
    echo "  cleanly (running: $(pgrep -a -u "$uid" jackd | tr '\n' ';'))." >&2
    echo "  Stop one of them; places left behind are freed by starting a server of that name once." >&2
    exit 1
  fi
  flock -u 9
  sleep 2
  take_start_lock
  reclaim_stale_places
done
# The server is up: the next one may start beside it.
flock -u 9
exec 9>&-

export JACK_DEFAULT_SERVER="$name"
export KV_MIDI_API=jack
if [ -n "$time_limit" ]; then
  started=$SECONDS
  timeout --kill-after=10 "$time_limit" "$@"
  status=$?
  if { [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; } && [ $((SECONDS - started)) -ge "$time_limit" ]; then
    echo "with-jack: the command did not end within its ${time_limit} s" >&2
  fi
else
  "$@"
  status=$?
fi
# What the server said is the only trace of a stall on its side (a client that did
# not finish its cycle holds up every other one in synchronous mode).
if [ "$status" -ne 0 ] && [ -s "$log" ]; then
  echo "with-jack: the JACK server's last messages:" >&2
  tail -n 40 "$log" >&2
fi
exit "$status"
