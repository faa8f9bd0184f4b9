#!/usr/bin/env bash
# Builds the updater and runs it.
#
#   tools/run-updater.sh [updater options...]
#
# With a keyboard attached (a MIDI port whose name holds "Norvik" or "VORazuro
# Updater"), the updater is simply run with the options given. Without one, the run
# is shown against the simulated keyboard on a private JACK server, with a sample image;
# the keyboard's own event lines show what it received:
#   - with a display (DISPLAY) and no -SILENT option, in the updater's window: the simulated keyboard switches
#     itself off and on after UPDATE FIRMWARE (tools/windowed-update.sh); with
#     KV_SCREENSHOT_DIR set, the script clicks by itself and saves a picture of each step;
#   - without one, silently: the updater switches the keyboard into its update mode, the
#     simulated keyboard is power-cycled, and the updater runs again and sends the image
#     (tools/simulated-update.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KV_BUILD_ROOT:-$root/build}/release
bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target FirmwareUpdater norvik-sim kv-midi-ports kv-window-probe >/dev/null

updater="$build/bin/FirmwareUpdater"
if ports=$("$build/tools/kv-midi-ports/kv-midi-ports" 2>/dev/null) &&
   grep -qiE 'norvik|vorazuro updater' <<<"$ports"; then
  exec "$updater" "$@"
fi

echo "No keyboard found: running against the simulated keyboard on a private JACK server."
silent=
for option in "$@"; do
  case "${option^^}" in -SILENT|-SILENT_IF_UPDATE_NOT_NEEDED) silent=1 ;; esac
done
if [ -n "${DISPLAY:-}" ] && [ -z "$silent" ]; then
  exec "$root/tools/with-jack.sh" bash "$root/tools/windowed-update.sh" "$build" "$@"
fi
exec "$root/tools/with-jack.sh" bash "$root/tools/simulated-update.sh" "$build" "$@"
