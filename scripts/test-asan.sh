#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-asan/ and runs every test there: a read or write past a buffer, a use after
# free or undefined behaviour stops the test that made it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VPC_BUILD_DIR=${VPC_ASAN_BUILD_DIR:-$root/build-asan}
# Leak checking is left off: it needs ptrace, which containers often refuse.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
if [ ! -f "$VPC_BUILD_DIR/CMakeCache.txt" ]; then
    "$root/scripts/setup.sh" -DVPC_ASAN=ON -DVPC_BENCH=OFF
fi
exec "$root/scripts/test.sh" "$@"
