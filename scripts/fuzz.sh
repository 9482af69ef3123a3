#!/usr/bin/env bash
# Builds the libFuzzer programs with clang (ASan and UBSan on) in build-fuzz/
# and runs each for a while.
#   scripts/fuzz.sh [seconds per target, default 60] [target ...]
# Targets: the fuzz/*_fuzz.cpp names without "_fuzz" (default: all). Each
# starts from fuzz/corpus/<target>/ and grows a working corpus in
# build-fuzz/corpus/<target>/. An input that breaks a target is written to
# build-fuzz/crashes/<target>/; keep it in fuzz/regressions/<target>/ and the
# fault tests replay it. Exits non-zero when any target broke.
# VEROLINK_FUZZ_SEED fixes libFuzzer's seed (the short run in scripts/test.sh
# uses one, so that a CI run does the same work each time).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzz.cpp; do
    name="$(basename "$source" .cpp)"
    targets+=("${name%_fuzz}")
  done
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVEROLINK_FUZZ=ON -DVEROLINK_SANITIZE=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/%/_fuzz}" >/dev/null

broken=()
printf '%-16s %10s %12s %8s\n' target seconds runs corpus
for target in "${targets[@]}"; do
  corpus="build-fuzz/corpus/$target"
  crashes="build-fuzz/crashes/$target"
  log="build-fuzz/fuzz-$target.log"
  mkdir -p "$corpus" "$crashes"
  status=0
  build-fuzz/fuzz/"${target}_fuzz" ${VEROLINK_FUZZ_SEED:+-seed="$VEROLINK_FUZZ_SEED"} \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" "fuzz/corpus/$target" \
    >"$log" 2>&1 || status=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
  printf '%-16s %10s %12s %8s\n' "$target" "$seconds" "${runs:-?}" "$(ls "$corpus" | wc -l)"
  if [ "$status" -ne 0 ]; then
    broken+=("$target")
    grep -E '^(SUMMARY|[a-z_]+: )' "$log" | head -3 || true
    echo "  input kept in $crashes/, log in $log"
  fi
done

if [ ${#broken[@]} -ne 0 ]; then
  echo "fuzz: broken targets: ${broken[*]}"
  exit 1
fi
echo "fuzz: no target broke"
