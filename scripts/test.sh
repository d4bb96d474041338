#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test:
#   1. the fuzz targets, a few seconds each (clang, ASan + UBSan);
#   2. the whole suite, GUI tests included, in a sanitizer build (ASan + UBSan);
#   3. the whole suite in the release build, whose CTest summary ends the output.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
export QT_QPA_PLATFORM=offscreen

echo "== fuzz targets"
bash scripts/fuzz.sh "${TARVELLO_FUZZ_SECONDS:-5}"

echo "== sanitizer build"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVELLO_SANITIZE=ON -DTARVELLO_BENCH=OFF -DTARVELLO_TESTS=ON \
  -DTARVELLO_WERROR=ON >/dev/null
cmake --build build-asan
if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j2 >build-asan/ctest.log 2>&1; then
  cat build-asan/ctest.log
  exit 1
fi
tail -n 3 build-asan/ctest.log

echo "== release build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVELLO_WERROR=ON -DTARVELLO_TESTS=ON \
  -DTARVELLO_BENCH=ON -DTARVELLO_GUI=ON >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j2
