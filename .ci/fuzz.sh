#!/usr/bin/env bash
# Fuzzes the settings file, which players write by hand, for about a minute under
# AddressSanitizer and UndefinedBehaviorSanitizer, then replays the seeds, everything the
# fuzzer found and a few thousand header-damaged copies under valgrind, which sees into the
# uninstrumented SDL. Fails on any crash, hang, leak or report.
# Run after ./build.sh has built build/ (the valgrind replay uses its plain programs).
#   FUZZ_SECONDS=60   time per fuzzer
#   FUZZ_ALL=1        the picture file fallback too (read only when a picture is missing
#                     from the program, so not on every run)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
targets=(settings)
[ "${FUZZ_ALL:-0}" = 1 ] && targets+=(picture)
packages=(clang libclang-rt-14-dev valgrind)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo > /dev/null || { echo "fuzzing needs ${missing[*]}: install them as root (apt-get install ${missing[*]})" >&2; exit 1; }
    sudo=(sudo)
  fi
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLORVEX_FUZZ=ON \
  "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake --build build-fuzz --target "${targets[@]/#/fuzz_}"
cmake --build build --target "${targets[@]/#/replay_}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
passed=0
failed=0
summary=()
for t in "${targets[@]}"; do
  work=build-fuzz/corpus/$t
  mkdir -p "$work" build-fuzz/artifacts
  log=build-fuzz/fuzz_$t.log
  status=0
  build-fuzz/tests/fuzz/fuzz_$t -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=128 \
    -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$t-" "$work" "tests/fuzz/corpus/$t" \
    >"$log" 2>&1 || status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  corpus=$(grep -o 'corp: [0-9]*/[0-9]*b' "$log" | tail -1 | sed 's/corp: //')
  summary+=("$(printf '%-9s %8s exec/s %10s execs  corpus %s inputs/bytes' "$t" "${rate:-?}" "${execs:-?}" "${corpus:-?}")")
  if [ "$status" -ne 0 ]; then
    failed=$((failed + 1))
    echo "fuzz_$t FAILED (exit $status); its report and the input that did it:"
    grep -E -A40 'ERROR:|runtime error|deadly signal|Timeout|out-of-memory' "$log" | head -80 || tail -40 "$log"
    for a in build-fuzz/artifacts/"$t"-*; do [ -e "$a" ] && { echo "$a"; od -An -tx1 "$a" | head -40; }; done
  else
    passed=$((passed + 1))
  fi
  # The seeds and all the run found, then damaged copies of them, under valgrind.
  if valgrind -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite \
      --show-leak-kinds=definite "build/tests/fuzz/replay_$t" --mutations 3000 "tests/fuzz/corpus/$t" "$work"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "valgrind replay of $t FAILED"
  fi
done

printf '%s\n' "${summary[@]}"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
