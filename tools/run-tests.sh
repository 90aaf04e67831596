#!/usr/bin/env bash
# Builds everything and runs every test on a virtual display.
#
#   tools/run-tests.sh [ctest arguments]   the ordinary build in build/, every test
#   tools/run-tests.sh --sanitize          AddressSanitizer + UndefinedBehaviorSanitizer build in
#                                          build-asan/, every test
#   tools/run-tests.sh --thread-sanitize   ThreadSanitizer build in build-tsan/, the task-window,
#                                          X event queue and stand-in server tests
#   tools/run-tests.sh --fuzz SECONDS      libFuzzer build (clang, AddressSanitizer + UBSan) in
#                                          build-fuzz/; runs every target of tests/fuzz for SECONDS,
#                                          all at once; findings go to build-fuzz/findings/
#
# Tests that use the program's absolute plug-in folders run themselves again as root in a private
# mount namespace (tests/scripts/in_private_root.sh); run as another user they are skipped.
set -eu
cd "$(dirname "$0")/.."

mode=plain
case "${1:-}" in
    --sanitize) mode=asan; shift ;;
    --thread-sanitize) mode=tsan; shift ;;
    --fuzz) mode=fuzz; seconds="${2:?--fuzz needs a number of seconds}"; shift 2 ;;
esac

tools/install-packages.sh

if [ "$mode" = plain ]; then
    tools/build.sh
    cd build
    exec xvfb-run -a -s "-screen 0 1280x800x24" ctest -j "$(nproc)" --output-on-failure "$@"
fi

here=$(pwd)

if [ "$mode" = fuzz ]; then
    exec tools/run-fuzzers.sh "$seconds"
fi

if [ "$mode" = asan ]; then
    folder=build-asan
    sanitize="address,undefined"
    filter=()
    # The X11 libraries keep memory until exit: their leaks only are suppressed.
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1"
    export LSAN_OPTIONS="suppressions=$here/tools/sanitizers/leaks.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
else
    folder=build-tsan
    sanitize="thread"
    filter=(-R "XEventQueueWaker|NativeWindows|DownloadThread|InstallOnline|BackgroundUnpacker|PlatformAuthorization|PrivilegedHelper|Connection|Login|ProgressMirror|StandInServer|ServerRequest|RequestOnline|HostileServer|WebReader|CurlWebStream|SelfUpdateOnline.BrokenOrRedirected")
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$here/tools/sanitizers/thread.supp"
fi

[ -f "$folder/CMakeCache.txt" ] || cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=Debug \
    -DQUORVELAN_SERVER_ORIGIN=http://127.0.0.1:47311 -DQUORVELAN_SANITIZE="$sanitize"
cmake --build "$folder" -j "$(nproc)"
cd "$folder"
exec xvfb-run -a -s "-screen 0 1280x800x24" ctest -j "$(nproc)" --output-on-failure "${filter[@]}" "$@"
