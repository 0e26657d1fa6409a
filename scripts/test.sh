#!/usr/bin/env bash
# Builds everything and runs the whole test suite offscreen, fuzzes each file reader for 20 s,
# then runs the suite once more built with AddressSanitizer and UndefinedBehaviorSanitizer (last,
# so that the run closes on the test runner's summary).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKEELWAY_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")
bash scripts/install-test.sh build

# Every reader of outside bytes under coverage-guided fuzzing, about 20 s each.
bash scripts/fuzz.sh 20

# Leak reports from the platform's font and GL libraries are not ours: leaks are not checked.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKEELWAY_WERROR=ON \
  -DKEELWAY_SANITIZE=ON -DKEELWAY_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs" --target keelway_core_tests keelway_app_tests
(cd build-asan && ctest --output-on-failure -j "$jobs")
