#!/usr/bin/env bash
# A fuzz campaign: builds the `fuzz` preset and runs every libFuzzer target for a while,
# as many at once as the machine has cores, each from the committed corpus. What a target
# finds is kept under build/fuzz-campaign/: the inputs that reached new code in
# corpus/TARGET (merge the useful ones into fuzz/corpus/ by hand), a crashing input in
# artifacts/, and the whole run in logs/TARGET.log. Not part of the test command: a
# random find must not block a submission. Run it before changing an encoder, a decoder
# or the parser. Usage:
#   scripts/fuzz-campaign.sh [SECONDS] [TARGET...]   # default 600 s each, every target
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
[ $# -gt 0 ] && shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(utf8 cp932 euc_jp iso2022_jp request requestw commands)
fi
jobs=${ORRERY_FUZZ_JOBS:-$(nproc)}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

out=build/fuzz-campaign
mkdir -p "$out/artifacts" "$out/logs"

# A unit slower than -timeout counts as a hang. The largest requests the module serves (a
# draw of millions of numbers) take 20 s under the sanitizers alone, and several times
# that on a machine busy with builds, since the limit is wall-clock time.
# One target: its status file says "clean" or "FAILED", with the inputs it ran.
run_target() {
  local name=$1 bin=build/fuzz/bin/$1_fuzz dict=() rc=0
  mkdir -p "$out/corpus/$name"
  case $name in
    request | requestw) dict=(-dict=fuzz/request.dict) ;;
  esac
  "$bin" -max_total_time="$seconds" -timeout=300 -rss_limit_mb=8192 -print_final_stats=1 \
    -artifact_prefix="$out/artifacts/$name-" "${dict[@]}" \
    "$out/corpus/$name" "fuzz/corpus/$name" >"$out/logs/$name.log" 2>&1 || rc=$?
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/logs/$name.log" | tail -n 1)
  if [ "$rc" -eq 0 ]; then
    echo "$name: clean, ${runs:-?} inputs in $seconds s"
  else
    echo "$name: FAILED ($rc) after ${runs:-?} inputs; see $out/logs/$name.log"
  fi
}

echo "fuzzing ${targets[*]} for $seconds s each, $jobs at a time"
running=0
for name in "${targets[@]}"; do
  run_target "$name" >"$out/logs/$name.status" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

failed=0
for name in "${targets[@]}"; do
  cat "$out/logs/$name.status"
  grep -q ': clean' "$out/logs/$name.status" || failed=1
done
exit "$failed"
