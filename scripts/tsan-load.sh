#!/usr/bin/env bash
# Runs the parallel-loading tests under ThreadSanitizer: the layers' libraries built with
# -fsanitize=thread in build-tsan/, and only tests/core/parallel_load_test.cpp linked against
# them (the whole core suite under TSan would take far longer to build). Qt itself is not
# instrumented, so races inside Qt are not seen; keelway's own code is.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKEELWAY_APP=OFF \
  -DKEELWAY_BENCH=OFF -DCMAKE_CXX_FLAGS=-fsanitize=thread \
  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread >/dev/null
cmake --build build-tsan -j "$(nproc)" --target keelway_session
qt="/usr/include/x86_64-linux-gnu/qt6"
flags=(-fsanitize=thread -O1 -g -fPIC -std=c++20 -I tests -I src -isystem "$qt"
  -isystem "$qt/QtCore" -isystem "$qt/QtGui" -DKEELWAY_SOURCE_DIR="\"$PWD\""
  -DKEELWAY_REALDATA_DIR="\"$PWD/../shared/realdata\"")
out=build-tsan/parallel_load_tsan
c++ "${flags[@]}" tests/core/parallel_load_test.cpp tests/support/test_support.cpp \
  build-tsan/libkeelway_session.a build-tsan/libkeelway_view.a \
  build-tsan/libkeelway_analysis.a build-tsan/libkeelway_race.a \
  -lQt6Gui -lQt6Core -lgtest -lgtest_main -o "$out"
QT_QPA_PLATFORM=offscreen TSAN_OPTIONS=halt_on_error=1 "$out"
