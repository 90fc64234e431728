#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, address and undefined-behaviour sanitizers) in the
# build directory $1 (default build-fuzz) and runs each for FUZZ_SECONDS seconds (default 30)
# on a copy of its seed corpus in fuzz/corpus/. New corpus entries, logs and any crash inputs
# stay in the build directory. Exits non-zero if the build fails or any target finds a fault.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-build-fuzz}"
seconds="${FUZZ_SECONDS:-30}"
targets=(fuzz_read_seqs fuzz_whole_run fuzz_llr_kernel)

for tool in clang clang++; do
  command -v "$tool" >/dev/null || { echo "fuzz-smoke: $tool is not installed" >&2; exit 1; }
done

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DMOTIFSIG_FUZZ=ON -DMOTIFSIG_TESTS=OFF \
  -DMOTIFSIG_BENCH=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"
build="$(cd "$build" && pwd)"

export UBSAN_OPTIONS="print_stacktrace=1:${UBSAN_OPTIONS:-}"
failed=()
for target in "${targets[@]}"; do
  work="$build/fuzz-run/$target"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp "$root/fuzz/corpus/$target/"* "$work/corpus/"
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -close_fd_mask=3
        -print_final_stats=1 -artifact_prefix="$work/artifacts/")
  case "$target" in
    fuzz_whole_run) args+=(-dict="$root/fuzz/motif_file.dict") ;;
  esac
  echo "fuzz-smoke: $target for ${seconds}s"
  if "$build/fuzz/$target" "${args[@]}" "$work/corpus" >"$work/log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units)' "$work/log" || true
  else
    echo "fuzz-smoke: $target FAILED; log: $work/log" >&2
    tail -n 60 "$work/log" >&2
    ls "$work/artifacts" >&2
    failed+=("$target")
  fi
done

if ((${#failed[@]} > 0)); then
  echo "fuzz-smoke: failed: ${failed[*]}" >&2
  exit 1
fi
echo "fuzz-smoke: all ${#targets[@]} targets ran ${seconds}s without a fault"
