#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for a given time.
#
# Usage: fuzz/run.sh [-t SECONDS] [-p PARALLEL] [TARGET...]
#   -t SECONDS   how long each target runs (default 60)
#   -p PARALLEL  how many targets run at once (default 1)
#   TARGET       codec, rewrite_charset, markup (default: all)
#
# The build goes to build-fuzz/ (or $BUILD_DIR). Each target keeps the corpus
# it grows in build-fuzz/corpus/TARGET across runs, starts from seeds made of
# samples/ and tests/data, writes its log to build-fuzz/logs/TARGET.log and any
# failing input to build-fuzz/findings/. The exit status is 1 when a target
# found something.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

seconds=60
parallel=1
while getopts "t:p:h" opt; do
  case $opt in
    t) seconds=$OPTARG ;;
    p) parallel=$OPTARG ;;
    *) sed -n '5,8p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
targets=("$@")
[ ${#targets[@]} -gt 0 ] ||
  targets=(codec rewrite_charset markup)

build_dir=${BUILD_DIR:-build-fuzz}
case $build_dir in /*) ;; *) build_dir=$root/$build_dir ;; esac
nice cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DTOVENRAK_FUZZ=ON -DTOVENRAK_SANITIZE=ON \
  -DTOVENRAK_BUILD_GUI=OFF -DTOVENRAK_BUILD_TESTS=OFF \
  -DTOVENRAK_BUILD_BENCH=OFF >/dev/null
nice cmake --build "$build_dir" -j 2 --target "${targets[@]/%/_fuzzer}"

# Seeds: the sample pages and texts and the detection sample whole, and the
# reference files in pieces the size of a fuzzer input.
seeds=$build_dir/seeds
rm -rf "$seeds"
mkdir -p "$seeds"
cp samples/* tests/data/detection/* "$seeds/"
for f in tests/data/reference/*; do
  split -b 4096 -d -a 3 "$f" "$seeds/$(basename "$f")."
done

declare -A dict=([rewrite_charset]=rewrite_charset.dict
  [markup]=markup.dict)

mkdir -p "$build_dir/logs" "$build_dir/findings"
run_one() {
  local target=$1
  local corpus=$build_dir/corpus/$target
  mkdir -p "$corpus"
  local options=(-max_total_time="$seconds" -max_len=4096
    -timeout=30 -rss_limit_mb=4096 -print_final_stats=1
    -artifact_prefix="$build_dir/findings/$target-")
  [ -z "${dict[$target]:-}" ] || options+=(-dict="$root/fuzz/${dict[$target]}")
  # Every finding is worth a look, so the run goes on after the first one.
  # Recording where each block was allocated slows the run; run a finding
  # again by hand to see that.
  ASAN_OPTIONS=malloc_context_size=0 nice -n 10 \
    "$build_dir/fuzz/${target}_fuzzer" "${options[@]}" -fork=1 \
    -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    "$corpus" "$seeds" >"$build_dir/logs/$target.log" 2>&1 || true
}

running=0
for target in "${targets[@]}"; do
  echo "fuzzing $target for ${seconds}s"
  run_one "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

status=0
printf '%-16s %12s %8s %6s %9s %s\n' target executions exec/s cov features \
  "findings (oom/timeout/crash)"
for target in "${targets[@]}"; do
  # The last progress line of libFuzzer's fork mode:
  # "#N: cov: C ft: F corp: K exec/s E oom/timeout/crash: O/T/X time: ..."
  line=$(grep -E '^#[0-9]+: cov:' "$build_dir/logs/$target.log" | tail -1 || true)
  field() { sed -nE "s|.*$1[: ]+([0-9/]+).*|\1|p" <<<"$line"; }
  found=$(field 'oom/timeout/crash')
  printf '%-16s %12s %8s %6s %9s %s\n' "$target" "$(sed -nE 's/^#([0-9]+):.*/\1/p' <<<"$line")" \
    "$(field 'exec/s')" "$(field 'cov')" "$(field 'ft')" "${found:-?}"
  [ "$found" = 0/0/0 ] || status=1
done
exit $status
