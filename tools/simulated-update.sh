#!/usr/bin/env bash
# The demonstration run of tools/run-updater.sh, inside a private JACK server:
#   simulated-update.sh BUILD_DIR [updater options...]
set -uo pipefail
build=$1
shift
work=$(mktemp -d -t kv-demo.XXXXXX)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A sample image: 24 records of random lengths up to 200 bytes.
image="$work/VORazuro61.led"
python3 "$(dirname "$0")/lib/make-sample-image.py" "$image" 24 0 200

mkfifo "$work/sim-input"
"$build/tools/norvik-sim/norvik-sim" --expect "$image" --off-time 500 --install-time 500 \
  <"$work/sim-input" > >(sed -u 's/^/  keyboard | /') &
sim_pid=$!
exec 3>"$work/sim-input"
sleep 1

. "$(dirname "$0")/lib/demo-options.sh"
demo_options "$image" "$@"
has_silent=
for option in "${options[@]}"; do [ "${option^^}" = "-SILENT" ] && has_silent=1; done
[ -z "$has_silent" ] && options+=("-SILENT")

run() {
  echo "\$ FirmwareUpdater ${options[*]}"
  "$build/bin/FirmwareUpdater" "${options[@]}" | sed -u 's/^/  updater  | /'
  status=${PIPESTATUS[0]}
  echo "  exit status $status"
}

echo "== First run: the keyboard runs its normal firmware"
run
if [ "$status" = 2 ]; then
  echo "== Power-cycling the simulated keyboard"
  echo power >&3
  sleep 1.5
  echo "== Second run: the keyboard waits in its update mode"
  run
  sleep 1.5
fi
echo quit >&3
exec 3>&-
wait "$sim_pid"
sim_pid=
exit "$status"
