#!/usr/bin/env bash
# Measures the updater's window against the simulated keyboard, on a private JACK server
# and a private X server, and prints the figures:
#   - process start to the first painted frame (each round, and the median);
#   - CPU while the window sits idle (percent of one core, over 10 s);
#   - peak resident memory of a windowed run;
#   - the shared libraries the window's process has mapped (/proc/PID/maps), and which
#     of them are OpenGL's (only an application asking for the OpenGL renderer loads
#     those);
#   - the transfer of one image as the keyboard sees it (its session start to its "done"),
#     silent and windowed (UPDATE FIRMWARE clicked in the window), with the updater's CPU
#     (the silent run's whole, the windowed run's from the click to the transfer's end).
#
#   tools/measure-window.sh [BUILD_DIR] [--rounds N] [--records N]
#
# BUILD_DIR defaults to build/release (built with FirmwareUpdater, norvik-sim and
# kv-window-probe). The updater's settings, window placement and single-instance name go
# to a temporary folder, so no other updater on the machine is disturbed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/release
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then
  build=$(cd "$1" && pwd)
  shift
fi
rounds=5
records=200
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --records) records=$2; shift 2 ;;
    *) echo "usage: $0 [BUILD_DIR] [--rounds N] [--records N]" >&2; exit 2 ;;
  esac
done

if [ -z "${KV_MEASURE_INSIDE:-}" ]; then
  export KV_MEASURE_INSIDE=1
  exec "$root/tools/with-jack.sh" "$root/tools/with-xvfb.sh" "$0" "$build" --rounds "$rounds" --records "$records"
fi

updater=$build/bin/FirmwareUpdater
sim=$build/tools/norvik-sim/norvik-sim
probe=$build/tools/kv-window-probe/kv-window-probe
for program in "$updater" "$sim" "$probe"; do
  [ -x "$program" ] || { echo "missing $program: build it first" >&2; exit 1; }
done

work=$(mktemp -d -t kv-measure.XXXXXX)
mkdir -p "$work/run" "$work/config" "$work/data"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
sim_pid=
updater_pid=
cleanup() {
  [ -n "$updater_pid" ] && kill "$updater_pid" 2>/dev/null && wait "$updater_pid" 2>/dev/null
  stop_sim
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

image=$work/image.led
python3 "$root/tools/lib/make-sample-image.py" "$image" "$records" 100 200

now_ns() { date +%s%N; }
ticks_per_second=$(getconf CLK_TCK)
# User + system CPU of a process so far, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# The same for one thread of it.
thread_ticks() { awk '{ print $14 + $15 }' "/proc/$1/task/$2/stat"; }
percent_of_core() { awk -v t="$1" -v hz="$ticks_per_second" -v s="$2" 'BEGIN { printf "%.2f", 100 * t / hz / s }'; }
# Memory of a process in KiB: its private pages, and the JACK server's shared memory that
# libjack maps (and locks) into every client, which the server's other clients share.
private_kib() { awk '/^Private_(Clean|Dirty):/ { k += $2 } END { print k + 0 }' "/proc/$1/smaps_rollup"; }
jack_shm_kib() {
  awk '/^[0-9a-f]+-[0-9a-f]+ / { jack = ($6 ~ /^\/dev\/shm\/jack/) } jack && /^Rss:/ { k += $2 } END { print k + 0 }' \
    "/proc/$1/smaps"
}

# A fresh simulated keyboard whose event lines are kept with the time each arrived.
sim_round=0
start_sim() {
  sim_round=$((sim_round + 1))
  sim_log=$work/sim-$sim_round.log
  mkfifo "$work/sim-in-$sim_round"
  "$sim" --expect "$image" --off-time 300 --install-time 300 --quiet-end 1500 <"$work/sim-in-$sim_round" \
    > >(while IFS= read -r line; do printf '%s %s\n' "$(now_ns)" "$line"; done >"$sim_log") &
  sim_pid=$!
  exec 3>"$work/sim-in-$sim_round"
  wait_line "on: normal mode" || { echo "the simulated keyboard did not start" >&2; exit 1; }
}
stop_sim() {
  if [ -n "$sim_pid" ]; then
    echo quit >&3 2>/dev/null
    exec 3>&-
    wait "$sim_pid" 2>/dev/null
    sim_pid=
  fi
}
wait_line() {
  for _ in $(seq 600); do
    grep -q -- "$1" "$sim_log" && return 0
    sleep 0.1
  done
  return 1
}
line_time() { grep -m1 -- "$1" "$sim_log" | cut -d' ' -f1; }
# The keyboard switched into its update mode by a silent run and power-cycled.
into_update_mode() {
  "$updater" -SILENT "-ABSOLUTE_FIRMWARE_FILE_PATH=$image" >/dev/null
  echo power >&3
  wait_line "on: update mode" || { echo "the keyboard did not come back in its update mode" >&2; exit 1; }
}
ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (b - a) / 1e6 }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "== Window: start to first frame, idle CPU, peak memory ($rounds rounds)"
start_sim
frames=()
peak_kib=0
for round in $(seq "$rounds"); do
  started=$(now_ns)
  "$updater" "-ABSOLUTE_FIRMWARE_FILE_PATH=$image" >/dev/null 2>&1 &
  updater_pid=$!
  painted=$("$probe" wait-frame "$updater_pid") || exit 1
  frames+=("$(ms "$started" "$painted")")
  echo "  round $round: first frame after ${frames[-1]} ms"
  if [ "$round" = 1 ]; then
    # A bare JACK MIDI client idles on the same server meanwhile: the server wakes every
    # client once per cycle, which no client can avoid.
    jack_midi_dump >/dev/null 2>&1 &
    bare_pid=$!
    sleep 3
    before=$(cpu_ticks "$updater_pid")
    before_window=$(thread_ticks "$updater_pid" "$updater_pid")
    before_bare=$(cpu_ticks "$bare_pid")
    sleep 10
    after=$(cpu_ticks "$updater_pid")
    after_window=$(thread_ticks "$updater_pid" "$updater_pid")
    after_bare=$(cpu_ticks "$bare_pid")
    # Interrupted, it closes its client; terminated, it would vanish from the synchronous
    # server's cycle, which then stalls for ten client time-outs.
    kill -INT "$bare_pid"
    wait "$bare_pid" 2>/dev/null
    idle=$(percent_of_core $((after - before)) 10)
    idle_window=$(percent_of_core $((after_window - before_window)) 10)
    idle_bare=$(percent_of_core $((after_bare - before_bare)) 10)
    private=$(private_kib "$updater_pid")
    jack_shm=$(jack_shm_kib "$updater_pid")
    libraries=$(awk '$6 ~ /\.so(\.|$)/ { print $6 }' "/proc/$updater_pid/maps" | sort -u)
    library_count=$(printf '%s\n' "$libraries" | grep -c .)
    opengl_libraries=$(printf '%s\n' "$libraries" | grep -E '/lib(GL|GLU|GLX|OpenGL|GLdispatch)\.so' |
      xargs -r -n1 basename | tr '\n' ' ')
  fi
  kib=$(awk '/^VmHWM/ { print $2 }' "/proc/$updater_pid/status")
  [ "$kib" -gt "$peak_kib" ] && peak_kib=$kib
  "$probe" close "$updater_pid"
  wait "$updater_pid"
  status=$?
  updater_pid=
  [ "$status" = 0 ] || { echo "the windowed run ended with status $status" >&2; exit 1; }
done
stop_sim
first_frame=$(printf '%s\n' "${frames[@]}" | median)

echo "== Transfer of $records records, silent and windowed ($rounds rounds each)"
silent=()
windowed=()
silent_cpu=()
windowed_cpu=()
for round in $(seq "$rounds"); do
  start_sim
  into_update_mode
  /usr/bin/time -f "%U %S" -o "$work/time" "$updater" -SILENT "-ABSOLUTE_FIRMWARE_FILE_PATH=$image" >/dev/null
  wait_line "done: image matches" || { echo "the silent transfer failed" >&2; exit 1; }
  silent+=("$(ms "$(line_time 'session: start')" "$(line_time 'done:')")")
  silent_cpu+=("$(awk '{ printf "%.0f", ($1 + $2) * 1000 }' "$work/time")")
  stop_sim

  start_sim
  into_update_mode
  "$updater" "-ABSOLUTE_FIRMWARE_FILE_PATH=$image" >/dev/null 2>&1 &
  updater_pid=$!
  "$probe" wait-frame "$updater_pid" >/dev/null || exit 1
  before=$(cpu_ticks "$updater_pid")
  "$probe" click "$updater_pid" 124 320
  wait_line "done: image matches" || { echo "the windowed transfer failed" >&2; exit 1; }
  windowed+=("$(ms "$(line_time 'session: start')" "$(line_time 'done:')")")
  windowed_cpu+=("$(awk -v t=$(($(cpu_ticks "$updater_pid") - before)) -v hz="$ticks_per_second" 'BEGIN { printf "%.0f", 1000 * t / hz }')")
  wait_line "on: normal mode, firmware 1.0.0.6"
  sleep 1
  "$probe" close "$updater_pid"
  wait "$updater_pid"
  updater_pid=
  stop_sim
  echo "  round $round: silent ${silent[-1]} ms (CPU ${silent_cpu[-1]} ms), windowed ${windowed[-1]} ms (CPU ${windowed_cpu[-1]} ms from the click to the end)"
done
silent_median=$(printf '%s\n' "${silent[@]}" | median)
windowed_median=$(printf '%s\n' "${windowed[@]}" | median)

echo "== Figures"
echo "  (CPU: silent runs ${silent_cpu[*]} ms; windowed transfers ${windowed_cpu[*]} ms)"
echo "  start to first painted frame: median $first_frame ms (aim: within 150 ms)"
echo "  CPU while idle: $idle % of one core (aim: under 0.5 %); the window's thread $idle_window %," \
  "a bare JACK MIDI client on the same server $idle_bare %"
echo "  private memory while idle: $((private / 1024)) MiB ($private KiB; aim: under 40 MB);" \
  "beside it the JACK server's shared memory $((jack_shm / 1024)) MiB"
echo "  peak resident memory, the JACK server's shared memory included: $((peak_kib / 1024)) MiB ($peak_kib KiB)"
echo "  shared libraries mapped by the window: $library_count;" \
  "OpenGL's among them: ${opengl_libraries:-none} (aim: none, the window draws without OpenGL)"
echo "  transfer, silent: median $silent_median ms; windowed: median $windowed_median ms;" \
  "ratio $(awk -v w="$windowed_median" -v s="$silent_median" 'BEGIN { printf "%.3f", w / s }') (aim: within 1.05)"
