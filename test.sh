#!/usr/bin/env bash
# Installs what is missing, builds and runs every test through CTest:
#  1. Release build: unit, widget (offscreen) and integration tests;
#  2. clang build of the Qt-free layers with AddressSanitizer and
#     UndefinedBehaviorSanitizer: their unit tests, then each fuzz target
#     for a short bounded time.
# Exits non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
bp_install "${BP_BUILD_PACKAGES[@]}" "${BP_TEST_PACKAGES[@]}" || exit 1

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
status=0

step() { echo; echo "==== $*"; }

step "Release build"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null &&
    cmake --build build/release -j "$jobs" || exit 1

step "Unit, widget and integration tests"
(cd build/release && ctest -j "$jobs" --output-on-failure) || status=1

step "Sanitizer build (address + undefined behaviour) of engine and platform core"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DBP_ENGINE_ONLY=ON -DBP_SANITIZE=ON -DBP_FUZZ=ON \
    -DBP_FUZZ_SECONDS="${BP_FUZZ_SECONDS:-20}" >/dev/null &&
    cmake --build build/asan -j "$jobs" || exit 1

step "Engine tests under sanitizers, then fuzz targets"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build/asan && ctest -j "$jobs" --output-on-failure) || status=1

exit $status
