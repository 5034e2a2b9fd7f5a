#!/usr/bin/env bash
# Installs what is missing, builds and runs every test through CTest:
#  1. Release build: unit, widget (offscreen) and integration tests, and the
#     desktop tier (label "desktop": the real programs on an Xvfb display of
#     each test's own under openbox, driven by X input);
#  2. clang build of the Qt-free layers with AddressSanitizer and
#     UndefinedBehaviorSanitizer: their unit tests, then each fuzz target
#     for a short bounded time;
#  3. gcc build of the whole program with AddressSanitizer and
#     UndefinedBehaviorSanitizer: every test but the desktop tier;
#  4. gcc build with ThreadSanitizer of the session and connection tests.
# Exits non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
bp_install "${BP_BUILD_PACKAGES[@]}" "${BP_TEST_PACKAGES[@]}" || exit 1

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
status=0
# Each test program writes its report here; the skipped cases are counted
# from them at the end.
results="$PWD/build/test-results"
rm -rf "$results"
mkdir -p "$results/release" "$results/asan"

step() { echo; echo "==== $*"; }

step "Release build"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null &&
    cmake --build build/release -j "$jobs" || exit 1

step "Unit, widget, integration and desktop-tier tests"
(cd build/release && ctest -N -L desktop | grep -E 'Test +#' | sed 's/^ */desktop tier: /')
(cd build/release && GTEST_OUTPUT="xml:$results/release/" ctest -j "$jobs" --output-on-failure) ||
    status=1

step "Sanitizer build (address + undefined behaviour) of engine and platform core"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DBP_ENGINE_ONLY=ON -DBP_SANITIZE=ON -DBP_FUZZ=ON \
    -DBP_FUZZ_SECONDS="${BP_FUZZ_SECONDS:-20}" >/dev/null &&
    cmake --build build/asan -j "$jobs" || exit 1

step "Engine tests under sanitizers, then fuzz targets"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build/asan && GTEST_OUTPUT="xml:$results/asan/" ctest -j "$jobs" --output-on-failure) ||
    status=1

step "Sanitizer build (address + undefined behaviour) of the whole program"
cmake -S . -B build/asan-full -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBP_SANITIZE=ON \
    >/dev/null &&
    cmake --build build/asan-full -j "$jobs" || exit 1

step "Unit, widget and integration tests of the whole program under sanitizers"
mkdir -p "$results/asan-full"
(cd build/asan-full &&
    LSAN_OPTIONS="suppressions=$PWD/../../scripts/lsan.supp" \
    GTEST_OUTPUT="xml:$results/asan-full/" ctest -j "$jobs" -LE desktop --output-on-failure) ||
    status=1

step "Thread-checked build (ThreadSanitizer) of the session and connection tests"
# The test programs where threads meet sessions and connections: the socket
# component and the telnet layers (tests/net, tests/net/core; the socket
# reactor's thread), the window-message queue and Qt loop the threads post
# through (platform Messages and QtMessageLoop), and the session tests
# (tests/session, tests/session/core: the main window connecting through the
# host look-up worker, and the real program for the tests that start it).
tsan_tests='^test_(net|session)_|^test_platform_(core_Messages|QtMessageLoop)$'
# Line tables are all the reports need (-g1): a fifth less compile time and
# far smaller objects to link.
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBP_TSAN=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" >/dev/null &&
    tsan_targets=$(cd build/tsan && ctest -N -R "$tsan_tests" | sed -n 's/^ *Test *#[0-9]*: //p') &&
    cmake --build build/tsan -j "$jobs" --target BrannocPro telnetdump $tsan_targets || exit 1

step "Session and connection tests under ThreadSanitizer"
# The checker's fixed memory layout can clash with a strongly randomised
# address space ("unexpected memory mapping" at start, more likely the more
# random bits vm.mmap_rnd_bits gives): the tests run with randomisation off
# where the system lets a process turn it off.
tsan_run=()
aslr=on
if setarch "$(uname -m)" -R true 2>/dev/null; then
    tsan_run=(setarch "$(uname -m)" -R)
    aslr=off
fi
echo "vm.mmap_rnd_bits=$(cat /proc/sys/vm/mmap_rnd_bits 2>/dev/null || echo '?'), address randomisation $aslr"
# Left out: the start with a 50 MB key-map file, a volume test whose read
# takes minutes under the checker (its guard would have to be as long).
mkdir -p "$results/tsan"
(cd build/tsan &&
    TSAN_OPTIONS="suppressions=$PWD/../../scripts/tsan.supp:halt_on_error=1:second_deadlock_stack=1" \
    GTEST_FILTER="-Startup.BigSettingsFilesStartAndASignalDuringTheStartEndsItCleanly" \
    GTEST_OUTPUT="xml:$results/tsan/" \
    "${tsan_run[@]}" ctest -j "$jobs" -R "$tsan_tests" --output-on-failure) ||
    status=1

step "Skipped test cases"
python3 - "$results" <<'PY'
import glob, sys, xml.etree.ElementTree as ET
skipped = []
for f in sorted(glob.glob(sys.argv[1] + "/*/*.xml")):
    try:
        root = ET.parse(f).getroot()
    except ET.ParseError:
        continue
    for case in root.iter("testcase"):
        if case.get("result") == "skipped" or case.find("skipped") is not None:
            msg = case.find("skipped")
            why = (msg.get("message", "") if msg is not None else "").splitlines()
            skipped.append("%s.%s (%s)" % (case.get("classname"), case.get("name"),
                                            why[0] if why else ""))
for s in skipped:
    print("  skipped:", s)
print("%d test cases skipped" % len(skipped))
PY

exit $status
