#!/usr/bin/env bash
# `make bench` (after `make build`): runs every Google Benchmark program in build/bench/ and
# prints one table of figures, each with its peer or limit and the ratio, all measured in the
# same run. The report also goes to bench/RESULTS.md, between its "make bench" marker lines
# (text outside them is kept).
#
# A program that is not a Google Benchmark program (it does not link the library) is run
# without arguments and what it prints (its own tables with ratios) is shown as it is.
#
# Convention for bench/*.cpp (details in bench/README.md):
#   BM_<Thing>[/args]        our code
#   BM_<Thing>_Peer[/args]   the same work per iteration done by the peer
#   BM_<Thing>_Limit[/args]  the same work per iteration at a physical limit (e.g. memcpy)
#   ratio = reference wall time / our wall time per iteration (> 1: faster than the peer)
#   or: a user counter named "ratio" (with SetLabel naming the comparison), shown as it is.
#   A reference may describe itself after the word (BM_<Thing>PeerCp); see bench/README.md.
#
# BENCH_ARGS is passed to every program, e.g. BENCH_ARGS="--benchmark_repetitions=3".
set -euo pipefail
cd "$(dirname "$0")/.."
bench_dir=build/bench
out_dir=$bench_dir/results
mkdir -p "$out_dir"
rm -f "$out_dir"/*.json "$out_dir"/*.txt "$out_dir"/*.log

programs=()
for exe in "$bench_dir"/*; do
  [ -f "$exe" ] && [ -x "$exe" ] && programs+=("$exe")
done
if [ ${#programs[@]} -eq 0 ]; then
  echo "bench: no benchmark programs in $bench_dir (is libbenchmark-dev installed? run 'make build')" >&2
  exit 1
fi

failed=0
results=()
for exe in "${programs[@]}"; do
  name=$(basename "$exe")
  echo "bench: running $name" >&2
  if grep -aq RunSpecifiedBenchmarks "$exe"; then
    # shellcheck disable=SC2086
    if "$exe" --benchmark_out="$out_dir/$name.json" --benchmark_out_format=json \
        ${BENCH_ARGS:-} >"$out_dir/$name.log" 2>&1; then
      results+=("$out_dir/$name.json")
    else
      echo "bench: $name failed; its output is in $out_dir/$name.log" >&2
      failed=1
    fi
  elif "$exe" >"$out_dir/$name.txt" 2>"$out_dir/$name.log"; then
    results+=("$out_dir/$name.txt")
  else
    echo "bench: $name failed; its output is in $out_dir/$name.log" >&2
    failed=1
  fi
done

if [ ${#results[@]} -eq 0 ]; then
  echo "bench: no results were written" >&2
  exit 1
fi
python3 scripts/bench_table.py --markdown bench/RESULTS.md --command "make bench" "${results[@]}"
echo "bench: report written to bench/RESULTS.md (raw results in $out_dir)" >&2
exit $failed
