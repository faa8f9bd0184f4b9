#!/usr/bin/env bash
# Builds and runs every test of the project:
#   1. Release build, all tests (CTest);
#   2. AddressSanitizer + UBSan build, all tests;
#   3. ThreadSanitizer build, the tests labelled "threads";
#   4. clang libFuzzer build, each fuzz target for a short fixed time.
# Build trees live under build/ (override with KV_BUILD_ROOT). Servers that tests
# need (JACK, Xvfb) are started and stopped by the tests' own harness.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${KV_BUILD_ROOT:-$root/build}
jobs=${KV_JOBS:-$(nproc)}
fuzz_seconds=${KV_FUZZ_SECONDS:-20}

bash "$root/tools/install-deps.sh"

echo "== Format"
bash "$root/tools/check-format.sh"

configure_and_build() { # dir, extra cmake args...
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

run_ctest() { # dir, extra ctest args...
  local dir=$1; shift
  ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "$jobs" "$@"
}

echo "== Release"
configure_and_build "$build_root/release" -DCMAKE_BUILD_TYPE=Release
run_ctest "$build_root/release"

echo "== AddressSanitizer + UBSan"
configure_and_build "$build_root/asan" -DCMAKE_BUILD_TYPE=Debug -DKV_SANITIZE=address
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_ctest "$build_root/asan"

echo "== ThreadSanitizer"
configure_and_build "$build_root/tsan" -DCMAKE_BUILD_TYPE=Debug -DKV_SANITIZE=thread -DKV_BUILD_BENCH=OFF
if ctest --test-dir "$build_root/tsan" -N -L threads | grep -q "Total Tests: [1-9]"; then
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 run_ctest "$build_root/tsan" -L threads
else
  echo "no threaded tests yet"
fi

echo "== libFuzzer"
configure_and_build "$build_root/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_FUZZ=ON \
  -DKV_BUILD_TESTS=OFF -DKV_BUILD_BENCH=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
shopt -s nullglob
for fuzzer in "$build_root"/fuzz/fuzz/*/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus="$build_root/fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
  echo "-- $name (${fuzz_seconds}s)"
  LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp:print_suppressions=0" \
    "$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=0 "$corpus" "${seeds[@]}" 2>"$corpus.log" \
    || { tail -n 60 "$corpus.log"; echo "fuzz target $name failed"; exit 1; }
done

echo "== all tests passed"
