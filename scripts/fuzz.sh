#!/usr/bin/env bash
# scripts/fuzz.sh [SECONDS] [TARGET...]
# Runs every libFuzzer target of build-fuzz/ (or only the TARGETs named, e.g. BlockParse) for
# SECONDS each (default 600), starting from seed corpora that make_fuzz_seeds writes with the
# tests' format writers, and prints the executions and findings per target. Exits 1 when any
# target found something; the inputs are kept under <work dir>/findings/<target>/.
#
# Environment: FUZZ_BUILD_DIR (default build-fuzz), FUZZ_WORK_DIR (corpora, logs and
# findings, default build-fuzz/fuzz-work), FUZZ_PARALLEL (targets run at the same time,
# default 1; each is one process on one core), FUZZ_KEEP_CORPUS=0 to start from the seeds
# alone (the short pass of `make test` does, so it does the same work on every machine).
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
[ $# -gt 0 ] && shift
build=${FUZZ_BUILD_DIR:-build-fuzz}
parallel=${FUZZ_PARALLEL:-1}
bin=$build/fuzz
work=${FUZZ_WORK_DIR:-$build/fuzz-work}

if [ ! -x "$bin/make_fuzz_seeds" ]; then
  echo "fuzz.sh: $bin/make_fuzz_seeds is missing; build the fuzz preset first" >&2
  exit 2
fi

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for exe in "$bin"/fuzz_*; do targets+=("$(basename "$exe" | sed 's/^fuzz_//')"); done
fi

rm -rf "$work/seeds"
mkdir -p "$work/seeds"
# Targets that go through files write them below TMPDIR: a memory file system when there is
# one (the rebuild target syncs every file it writes), else inside the work dir.
tmp_root=$(mktemp -d /dev/shm/tavrel-fuzz.XXXXXX 2>/dev/null) || tmp_root=$work/tmp
mkdir -p "$tmp_root"
trap 'rm -rf "$tmp_root"' EXIT
"$bin/make_fuzz_seeds" "$work/seeds" || exit 2
[ "${FUZZ_KEEP_CORPUS:-1}" = 0 ] && rm -rf "$work/corpus"

run_target() {
  local t=$1
  local corpus=$work/corpus/$t findings=$work/findings/$t log=$work/$t.log
  mkdir -p "$corpus" "$findings" "$work/seeds/$t" "$tmp_root/$t"
  TMPDIR=$tmp_root/$t "$bin/fuzz_$t" "$corpus" "$work/seeds/$t" \
    -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/" >"$log" 2>&1
  echo $? >"$work/$t.rc"
  rm -rf "${tmp_root:?}/$t"
}

running=0
for t in "${targets[@]}"; do
  if [ ! -x "$bin/fuzz_$t" ]; then
    echo "fuzz.sh: no target $bin/fuzz_$t" >&2
    exit 2
  fi
  rm -rf "$work/findings/$t" "$work/$t.rc"
  run_target "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

status=0
printf '%-16s %14s %10s  %s\n' target execs findings "exit/artifacts"
for t in "${targets[@]}"; do
  log=$work/$t.log
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  found=$(find "$work/findings/$t" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'oom-*' \
    -o -name 'timeout-*' \) | sort)
  count=$(printf '%s' "$found" | grep -c . || true)
  rc=$(cat "$work/$t.rc" 2>/dev/null || echo '?')
  printf '%-16s %14s %10s  rc=%s %s\n' "$t" "${execs:-?}" "$count" "$rc" "$(echo $found)"
  if [ "$count" -gt 0 ] || [ "$rc" != 0 ]; then
    status=1
    echo "---- $t: end of $log" >&2
    tail -40 "$log" >&2
  fi
done
exit $status
