#!/usr/bin/env python3
"""Prints one table of benchmark figures from Google Benchmark JSON files.

Usage: bench_table.py [--markdown FILE] [--command TEXT] RESULT.json...

Pairing convention (also in bench/README.md):
  BM_<Thing>[/args]        our code
  BM_<Thing>_Peer[/args]   the same work done by the peer (another library, a naive way)
  BM_<Thing>_Limit[/args]  the same work at a physical limit (e.g. memcpy of the same bytes)
A pair must do the same work per iteration; the ratio is reference time / our time, both
wall-clock time per iteration from the same run: > 1 means faster than the peer, and
against a limit it is the share of the limit reached. A benchmark that reports a user
counter named "ratio" is shown with that ratio as it is (its label names what it compares).
"""

import argparse
import json
import os
import statistics
import sys
from datetime import datetime, timezone

REFERENCE_SUFFIXES = ("_Peer", "_Limit")
MODIFIERS = ("real_time", "process_time", "manual_time", "min_time:", "min_warmup_time:",
             "threads:", "repeats:", "iterations:")
TIME_SCALE = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def split_name(run_name):
    """(family, args key) with run modifiers dropped, so BM_X/64 pairs with BM_X_Peer/64/real_time."""
    parts = run_name.split("/")
    args = [p for p in parts[1:] if not p.startswith(MODIFIERS)]
    return parts[0], "/".join(args)


def load_runs(path):
    """One record per run name: the median of its repetitions (or the median aggregate)."""
    with open(path) as f:
        data = json.load(f)
    grouped = {}
    for b in data.get("benchmarks", []):
        if b.get("error_occurred"):
            continue
        name = b.get("run_name", b["name"])
        entry = grouped.setdefault(name, {"iterations": [], "median": None})
        if b.get("run_type") == "aggregate":
            if b.get("aggregate_name") == "median":
                entry["median"] = b
        else:
            entry["iterations"].append(b)
    runs = {}
    for name, entry in grouped.items():
        rows = [entry["median"]] if entry["median"] else entry["iterations"]
        if not rows:
            continue
        first = rows[0]
        seconds = statistics.median(r["real_time"] * TIME_SCALE.get(r.get("time_unit", "ns"), 1e-9)
                                    for r in rows)
        runs[name] = {
            "name": name,
            "seconds": seconds,
            "bytes_per_second": first.get("bytes_per_second"),
            "items_per_second": first.get("items_per_second"),
            "ratio": first.get("ratio"),
            "label": first.get("label", ""),
        }
    return data.get("context", {}), runs


def format_time(seconds):
    for unit, scale in (("s", 1.0), ("ms", 1e-3), ("us", 1e-6)):
        if seconds >= scale:
            return f"{seconds / scale:.3g} {unit}"
    return f"{seconds / 1e-9:.3g} ns"


def format_number(value):
    return f"{value:,.0f}" if value >= 100 else f"{value:.3g}"


def format_rate(run):
    if run["bytes_per_second"]:
        return format_number(run["bytes_per_second"] / 1e6) + " MB/s"
    if run["items_per_second"]:
        return format_number(run["items_per_second"] / 1e6) + " M items/s"
    return ""


def describe(run):
    rate = format_rate(run)
    return format_time(run["seconds"]) + (f" ({rate})" if rate else "")


def rows_for(program, runs):
    by_key = {}
    for run in runs.values():
        by_key[split_name(run["name"])] = run
    rows = []
    for run in runs.values():
        family, args = split_name(run["name"])
        if family.endswith(REFERENCE_SUFFIXES):
            base = family[: family.rindex("_")]
            if (base, args) not in by_key:  # a reference without our side: show it alone
                rows.append([program, run["name"], describe(run), "-", "-", "-"])
            continue
        if run["ratio"] is not None:
            rows.append([program, run["name"], describe(run), run["label"] or "counter", "-",
                         f"{run['ratio']:.3g}"])
        paired = False
        for suffix in REFERENCE_SUFFIXES:
            ref = by_key.get((family + suffix, args))
            if ref:
                paired = True
                kind = "peer" if suffix == "_Peer" else "limit"
                ratio = ref["seconds"] / run["seconds"] if run["seconds"] > 0 else float("nan")
                rows.append([program, run["name"], describe(run), f"{kind}: {ref['name']}",
                             describe(ref), f"{ratio:.3g}"])
        if not paired and run["ratio"] is None:
            rows.append([program, run["name"], describe(run), "-", "-", "-"])
    return rows


def markdown_table(rows):
    head = ["Program", "Benchmark", "Ours (time/iter)", "Compared with", "Reference (time/iter)",
            "Ratio"]
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    lines += ["| " + " | ".join(str(c) for c in row) + " |" for row in rows]
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--markdown", help="also write the table with a short header to this file")
    parser.add_argument("--command", default="make bench")
    parser.add_argument("results", nargs="+")
    args = parser.parse_args()

    rows, context = [], {}
    for path in args.results:
        program = os.path.splitext(os.path.basename(path))[0]
        try:
            ctx, runs = load_runs(path)
        except (OSError, ValueError, KeyError) as e:
            print(f"bench_table: cannot read {path}: {e}", file=sys.stderr)
            continue
        context = context or ctx
        rows += rows_for(program, runs)

    table = markdown_table(rows)
    print(table)
    if args.markdown:
        when = context.get("date") or datetime.now(timezone.utc).isoformat(timespec="seconds")
        machine = f"{context.get('num_cpus', '?')} CPUs at {context.get('mhz_per_cpu', '?')} MHz"
        text = (
            "# Benchmark results\n\n"
            f"Measured with `{args.command}` on {when} ({machine}, host {context.get('host_name', '?')}).\n"
            "Ratio = reference time / our time per iteration, both measured in the same run:\n"
            "above 1 we are faster than the peer; against a limit it is the share of the limit reached.\n"
            "Pairing rules: bench/README.md.\n\n" + table + "\n")
        with open(args.markdown, "w") as f:
            f.write(text)
    return 0 if rows else 1


if __name__ == "__main__":
    sys.exit(main())
