#!/usr/bin/env bash
# Installs dependencies, builds everything and runs the whole test suite.
#   scripts/test.sh              Release build in build/
#   scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/ (float-to-
#                                integer overflow included, which GCC leaves out of -fsanitize=undefined)
#   scripts/test.sh --tsan       ThreadSanitizer build in build-tsan/ of the tests that run threads against
#                                each other (quiet: the build log is shown only when the build fails)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

mode=release
[ "${1:-}" = "--sanitize" ] && mode=asan
[ "${1:-}" = "--tsan" ] && mode=tsan
werror=OFF
[ -n "${CI:-}" ] && werror=ON

case "$mode" in
release) dir=build; extra=(-DCMAKE_BUILD_TYPE=Release) ;;
asan) dir=build-asan; extra=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORBEL_SANITIZE=address,undefined) ;;
tsan) dir=build-tsan; extra=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORBEL_SANITIZE=thread) ;;
esac

if [ "$mode" = tsan ]; then
    # The binaries whose tests start threads (of the user-interface tests, the main queue's, and the window
    # tests whose other threads post to a sleeping run loop; not those that draw text, whose font library
    # starts threads of its own that the sanitizer cannot see into; of the editor's, those that set
    # parameters or create a unit on another thread). Not the real-time-safety binaries (*_rtsafety_tests):
    # they replace malloc and free, which the ThreadSanitizer runtime owns, and crash at start; their
    # concurrent scenario (control thread against render thread) is the Threads fixture's.
    cmake -S . -B "$dir" -DQUORBEL_WERROR=$werror "${extra[@]}" >/dev/null
    cmake --build "$dir" -j"$(nproc)" --target audiotoolbox_tests dsp_tests validation_tests ui_tests x11_tests \
        x11_window_program editor_tests >"$dir/build.log" 2>&1 ||
        { tail -n 60 "$dir/build.log"; exit 1; }
    export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
    tsanTests() {
        if ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" "$@" >"$dir/ctest.log" 2>&1; then
            echo "ThreadSanitizer ($*): $(grep 'tests passed' "$dir/ctest.log")"
        else
            cat "$dir/ctest.log"
            exit 1
        fi
    }
    tsanTests -L '^(audiotoolbox_tests|dsp_tests)$'
    tsanTests -L '^validation_tests$' -R 'Threads\.'
    tsanTests -L '^ui_tests$' -R 'DispatchQueue\.'
    tsanTests -L '^x11_tests$' -R 'X11Window\.(APostFromAnotherThread|CloseButton)|X11Program\.'
    tsanTests -L '^editor_tests$' -R 'Panel\.(ValuesSetOnAnotherThread|TheLastValueOfABurst|AValueSetOnAnotherThread|ASecondUnitMadeOnAnotherThread)'
    exit 0
fi

cmake -S . -B "$dir" -DQUORBEL_WERROR=$werror "${extra[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
