#!/usr/bin/env bash
# Builds the updater and runs it. Without a keyboard attached, it runs against the
# simulated keyboard on a private JACK server.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/release" -j "$(nproc)"
echo "run-updater: the updater is not built yet (the update engine has not landed)." >&2
exit 1
