#!/usr/bin/env bash
# Installs dependencies, builds everything and runs the whole test suite.
#   scripts/test.sh              Release build in build/
#   scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

mode=release
[ "${1:-}" = "--sanitize" ] && mode=asan
werror=OFF
[ -n "${CI:-}" ] && werror=ON

case "$mode" in
release) dir=build; extra=(-DCMAKE_BUILD_TYPE=Release) ;;
asan) dir=build-asan; extra=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORBEL_SANITIZE=address,undefined) ;;
esac

cmake -S . -B "$dir" -DQUORBEL_WERROR=$werror "${extra[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
