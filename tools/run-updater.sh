#!/usr/bin/env bash
# Builds the updater and runs it.
#
#   tools/run-updater.sh [updater options...]
#
# With a keyboard attached (a MIDI port whose name holds "Norvik" or "VORazuro
# Updater"), the updater is simply run with the options given. Without one, the run
# is shown against the simulated keyboard on a private JACK server: a sample image is
# generated, the updater runs silently (the keyboard is switched into its update
# mode), the simulated keyboard is power-cycled, and the updater runs again (the image
# is sent); the keyboard's own event lines show what it received.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KV_BUILD_ROOT:-$root/build}/release
bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target FirmwareUpdater norvik-sim kv-midi-ports >/dev/null

updater="$build/bin/FirmwareUpdater"
if ports=$("$build/tools/kv-midi-ports/kv-midi-ports" 2>/dev/null) &&
   grep -qiE 'norvik|vorazuro updater' <<<"$ports"; then
  exec "$updater" "$@"
fi

echo "No keyboard found: running against the simulated keyboard on a private JACK server."
exec "$root/tools/with-jack.sh" bash "$root/tools/simulated-update.sh" "$build" "$@"
