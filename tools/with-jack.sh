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
# JACK keeps everything its servers and clients share under /dev/shm: its registry
# of servers (8 places per machine), the servers' sockets and shared memory, and each
# client's notification socket, named after the client alone ("KV MIDI", "Norvik
# ZR"), whatever its server. Two processes with clients of the same name on two
# servers therefore break each other: the second takes the first's socket, or
# removes it when it closes. So the server and the command run in a mount namespace
# of their own with a private /dev/shm, where nothing is shared with any other server
# or client on the machine and nothing is left behind. Where no namespace can be made,
# the script falls back to one server at a time on the machine (see below).
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

if [ -z "${KV_JACK_PRIVATE_SHM:-}" ]; then
  namespace=(unshare --mount --propagation private)
  [ "$(id -u)" -eq 0 ] || namespace=(unshare --user --map-root-user --mount --propagation private)
  if "${namespace[@]}" true 2>/dev/null; then
    # shellcheck disable=SC2016
    exec "${namespace[@]}" bash -c '
      if mount -t tmpfs -o mode=1777 kv-jack-shm /dev/shm 2>/dev/null; then private=1; else private=0; fi
      KV_JACK_PRIVATE_SHM=$private exec bash "$0" "$@"' "$0" ${time_limit:+--time-limit "$time_limit"} "$@"
  fi
  KV_JACK_PRIVATE_SHM=0
fi

uid=$(id -u)
name_count=4
place_wait_seconds=${KV_JACK_PLACE_WAIT:-120}

# Without a private /dev/shm, one server at a time on this machine: parallel tests and
# other worktrees wait here. The lock is held on descriptor 9, which the server and
# the command do not inherit.
if [ "$KV_JACK_PRIVATE_SHM" != 1 ]; then
  lock="${TMPDIR:-/tmp}/kv-with-jack-$uid.lock"
  exec 9>>"$lock"
  if ! flock -w 600 9; then
    echo "with-jack: another JACK server has been running for 10 minutes; giving up" >&2
    exit 1
  fi
fi

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
  # Alone in its /dev/shm, the server needs no place among the machine's; the name
  # only tells it apart in a list of processes.
  if [ "$KV_JACK_PRIVATE_SHM" = 1 ]; then
    echo "kv-private-$$"
    return
  fi
  for n in $(seq 0 $((name_count - 1))); do
    if ! server_running "kv-test-$uid-$n"; then
      echo "kv-test-$uid-$n"
      return
    fi
  done
  echo "kv-test-$uid-$$"
}

log=$(mktemp -t kv-jackd.XXXXXX)
# The keyboards on a private server are private too, and so are the locks and
# instance files our programs keep for them in the user's runtime folder: a run of
# its own never meets another run's keyboard lock.
runtime=$(mktemp -d -t kv-jack-runtime.XXXXXX)
jack_pid=
stop_jack() {
  [ -n "$jack_pid" ] && stop_by_pid "$jack_pid"
  rm -rf "$log" "$runtime"
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
  sleep 2
  reclaim_stale_places
done

export JACK_DEFAULT_SERVER="$name"
export KV_MIDI_API=jack
export XDG_RUNTIME_DIR="$runtime"
if [ -n "$time_limit" ]; then
  started=$SECONDS
  timeout --kill-after=10 "$time_limit" "$@" 9>&-
  status=$?
  if { [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; } && [ $((SECONDS - started)) -ge "$time_limit" ]; then
    echo "with-jack: the command did not end within its ${time_limit} s" >&2
  fi
else
  "$@" 9>&-
  status=$?
fi
# What the server said is the only trace of a stall on its side (a client that did
# not finish its cycle holds up every other one in synchronous mode).
if [ "$status" -ne 0 ] && [ -s "$log" ]; then
  echo "with-jack: the JACK server's last messages:" >&2
  tail -n 40 "$log" >&2
fi
exit "$status"
