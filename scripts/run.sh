#!/usr/bin/env bash
# Installs what is missing, builds the workbench and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVELLO_TESTS=OFF -DTARVELLO_BENCH=OFF >/dev/null
cmake --build build --target tarvello tarvello-cli
# The settings file tarvello.ini is kept in the working folder: build/.
cd build && exec ./tarvello "$@"
