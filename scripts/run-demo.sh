#!/usr/bin/env bash
# Builds keelway and starts it on the bundled demo races.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target keelway
exec build/bin/keelway "$@"
