#!/usr/bin/env bash
# Builds the test suite a second time under AddressSanitizer and UndefinedBehaviorSanitizer,
# with leak checking, and runs it; any report fails.
set -euo pipefail
cd "$(dirname "$0")/.."
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="$sanitize" -DLORVEX_BENCHMARKS=OFF
cmake --build build-sanitize
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LORVEX_SOAK_TICKS=10000  # a shorter soak: every tick costs more here
# valgrind cannot run a sanitized program; the ordinary build runs those replays.
cd build-sanitize && ctest --output-on-failure -j"$(nproc)" -LE valgrind
