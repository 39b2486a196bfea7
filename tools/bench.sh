#!/usr/bin/env bash
# Runs the benchmarks of the native tree: decode throughput per type on the
# public corpus (when present) and on 12-megapixel generated files, and
# ReduceDIB time. Usage: tools/bench.sh BUILD [Google Benchmark options]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
shift || true
case $build in /*) ;; *) build=$root/$build ;; esac
bin=$build/native/bin
corpus=${LUMORA_CORPUS:-$root/../shared/corpus}
data=$build/bench-data

if [ ! -x "$bin/bench_imglib" ]; then
  echo "no $bin/bench_imglib: build the native tree first (make native)" >&2
  exit 1
fi
# shellcheck source=tools/bench-data.sh
. "$root/tools/bench-data.sh"
bench_make_data "$data" "$bin/bench_synth"

args=(--large="$data")
[ -d "$corpus" ] && args+=(--corpus="$corpus")
exec "$bin/bench_imglib" "${args[@]}" --benchmark_counters_tabular=true "$@"
