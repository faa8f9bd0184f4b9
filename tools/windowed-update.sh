#!/usr/bin/env bash
# The windowed demonstration of tools/run-updater.sh, inside a private JACK server, on the
# X server of DISPLAY:
#   windowed-update.sh BUILD_DIR [updater options...]
#
# The simulated keyboard switches itself off and on three seconds after it accepted the
# switch into its update mode. With KV_SCREENSHOT_DIR set, nobody needs to be at the
# screen: the script clicks UPDATE FIRMWARE and NEXT itself and saves a picture of each
# step there (for a private X server: tools/with-xvfb.sh).
set -uo pipefail
build=$1
shift
work=$(mktemp -d -t kv-window-demo.XXXXXX)
sim_pid=
updater_pid=
cleanup() {
  [ -n "$updater_pid" ] && kill "$updater_pid" 2>/dev/null && wait "$updater_pid" 2>/dev/null
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A sample image: 60 records of random lengths up to 200 bytes.
image="$work/VORazuro61.led"
python3 "$(dirname "$0")/lib/make-sample-image.py" "$image" 60 0 200

. "$(dirname "$0")/lib/demo-options.sh"
demo_options "$image" "$@"

sim_log=$work/keyboard.log
"$build/tools/norvik-sim/norvik-sim" --expect "$image" --off-time 1000 --install-time 1000 \
  --auto-power-cycle 3000 --ack-delay 20 </dev/null > >(tee "$sim_log" | sed -u 's/^/  keyboard | /') &
sim_pid=$!
for _ in $(seq 600); do grep -q "on: normal mode" "$sim_log" 2>/dev/null && break; sleep 0.1; done

echo "\$ FirmwareUpdater ${options[*]}"
"$build/bin/FirmwareUpdater" "${options[@]}" > >(sed -u 's/^/  updater  | /') 2>&1 &
updater_pid=$!

if [ -n "${KV_SCREENSHOT_DIR:-}" ]; then
  probe=$build/tools/kv-window-probe/kv-window-probe
  mkdir -p "$KV_SCREENSHOT_DIR"
  shot() {
    sleep 1
    "$probe" capture "$updater_pid" "$KV_SCREENSHOT_DIR/$1.png" && echo "== Saved $KV_SCREENSHOT_DIR/$1.png"
  }
  wait_line() {
    for _ in $(seq 600); do grep -q -- "$1" "$sim_log" && return 0; sleep 0.1; done
    return 1
  }
  "$probe" wait-frame "$updater_pid" >/dev/null && shot 1-ready
  echo "== Clicking UPDATE FIRMWARE"
  "$probe" click "$updater_pid" 124 320
  wait_line "enter: accepted" && shot 2-power-cycle
  wait_line "on: update mode"
  echo "== Clicking NEXT"
  "$probe" click "$updater_pid" 124 320
  wait_line "record 20 OK" && "$probe" capture "$updater_pid" "$KV_SCREENSHOT_DIR/3-transfer.png" &&
    echo "== Saved $KV_SCREENSHOT_DIR/3-transfer.png"
  wait_line "on: normal mode, firmware 1.0.0.6" && sleep 1 && shot 4-succeeded
  "$probe" close "$updater_pid"
else
  echo "== Click UPDATE FIRMWARE; the simulated keyboard then switches itself off and on; click NEXT."
fi
wait "$updater_pid"
status=$?
updater_pid=
echo "  exit status $status"
kill "$sim_pid" 2>/dev/null
wait "$sim_pid" 2>/dev/null
sim_pid=
exit "$status"
