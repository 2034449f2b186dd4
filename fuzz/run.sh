#!/bin/sh
# Builds the fuzz targets with clang and libFuzzer (with AddressSanitizer and UndefinedBehavior-
# Sanitizer) and runs each for a number of seconds, starting from the seed corpus. Exits non-zero
# on the first finding; the input that caused it is saved in the build folder as crash-<hash>,
# and belongs in fuzz/corpus/<target>/ once the fault is mended.
#   fuzz/run.sh [seconds per target, default 60] [build folder, default build-fuzz]
set -eu
seconds=${1:-60}
build=${2:-build-fuzz}
cd "$(dirname "$0")/.."
root=$PWD
mkdir -p "$build"
build=$(cd "$build" && pwd)
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUENLO_FUZZ=ON -DQUENLO_BUILD_TESTS=OFF -DQUENLO_STATIC=OFF -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
targets="command_tail patcher font_reader fixer names windows_names standard_input output copy
  web_font"
cmake --build "$build" -j"$(nproc)" --target $(for t in $targets; do printf '%s_fuzzer ' "$t"; done)
for target in $targets; do
  # New inputs go to a scratch folder so that the committed seeds stay small.
  scratch="$build/corpus-$target"
  mkdir -p "$scratch"
  echo "== fuzzing $target for $seconds s"
  (cd "$build" && "./fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=5 \
    -max_len=4096 -print_final_stats=1 "$scratch" "$root/fuzz/corpus/$target" 2>&1 |
    grep -E '^(Done [0-9]+ runs|stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==|SUMMARY|broken)' |
    tee "$build/stats-$target" || true)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/stats-$target")
  echo "$target: ${runs:-0} inputs in $seconds s, $(( ${runs:-0} / seconds )) a second"
  # libFuzzer's exit status is lost in the pipe above, so a finding is recognised by its file.
  found=$(find "$build" -maxdepth 1 \( -name 'crash-*' -o -name 'timeout-*' -o -name 'leak-*' \
    -o -name 'oom-*' \))
  if [ -n "$found" ]; then
    echo "fuzzing $target found a fault:" $found
    exit 1
  fi
done
echo "fuzzing: no findings"
