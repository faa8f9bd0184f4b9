#!/usr/bin/env bash
# Whole-run figures: the updater and a bare RtMidi host (bare-midi-host) doing the same
# protocol against the simulated keyboard, on one private synchronous JACK server.
#
#   bench/WholeRun/whole-run.sh [BUILD_DIR] [--kib N | --records N] [--rounds R] [--wait-ms MS]
#
# BUILD_DIR is a Release build (default build/release). See whole_run.py for what is
# measured.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=build/release
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then
  build=$1
  shift
fi
exec "$root/tools/with-jack.sh" python3 "$root/bench/WholeRun/whole_run.py" "$build" "$@"
