# Sourced by the server harnesses (with-jack.sh, with-xvfb.sh).
# stop_by_pid PID: asks the process to end, gives it five seconds, then kills it, and
# reaps it; nothing happens when it has already gone.
stop_by_pid() {
  local pid=$1
  if kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null
  fi
  wait "$pid" 2>/dev/null
}
