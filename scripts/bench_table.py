#!/usr/bin/env python3
"""Prints one table of benchmark figures from Google Benchmark JSON files.

Usage: bench_table.py [--markdown FILE] [--command TEXT] RESULT.json|OUTPUT.txt...

RESULT.json: the JSON output of a Google Benchmark program. OUTPUT.txt: what a plain
benchmark program printed (its own tables, ratios measured in its own run); it is shown as
it is under the program's name.

With --markdown the report replaces the part of FILE between the two "make bench" marker
lines (appended when the markers are missing); text outside the markers is kept, so notes
written by hand around the figures survive a new run.

Pairing convention (also in bench/README.md):
  BM_<Thing>[/args]        our code
  BM_<Thing>_Peer[/args]   the same work done by the peer (another library, a naive way)
  BM_<Thing>_Limit[/args]  the same work at a physical limit (e.g. memcpy of the same bytes)
A reference may carry a description after the word: BM_<Thing>PeerCp, BM_<Thing>LimitMemcpy.
It pairs with BM_<Thing>, else with every benchmark whose name starts with BM_<Thing>, else
(a reference that names nothing, e.g. BM_Memcpy_Limit) with every benchmark of its program;
arguments must match, or the reference has none.
A pair must do the same work per iteration; the ratio is reference time / our time, both
wall-clock time per iteration from the same run: > 1 means faster than the peer, and
against a limit it is the share of the limit reached. A benchmark that reports a user
counter named "ratio" is shown with that ratio as it is (its label names what it compares).
"""

import argparse
import json
import os
import re
import statistics
import sys
from datetime import datetime, timezone

# "Peer" or "Limit" as a part of the name: BM_X_Peer, BM_X_Limit, BM_XPeerCp, BM_XLimitMemcpy.
REFERENCE_RE = re.compile(r"^(?P<base>.*?)_?(?P<kind>Peer|Limit)(?:[A-Z_0-9].*)?$")
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
    items = run["items_per_second"]
    if items:
        for scale, prefix in ((1e6, "M "), (1e3, "k "), (1.0, "")):
            if items >= scale or scale == 1.0:
                return format_number(items / scale) + f" {prefix}items/s"
    return ""


def describe(run):
    rate = format_rate(run)
    return format_time(run["seconds"]) + (f" ({rate})" if rate else "")


def display_name(run_name):
    """The name without run modifiers (/iterations:N, /real_time, ...), as it pairs."""
    family, args = split_name(run_name)
    return family + ("/" + args if args else "")


def reference_of(family):
    """(base, kind) when the family is a reference (Peer or Limit as a name part), else None."""
    m = REFERENCE_RE.match(family)
    return (m.group("base"), m.group("kind").lower()) if m else None


def rows_for(program, runs):
    ours = [r for r in runs.values() if not reference_of(split_name(r["name"])[0])]
    refs = [r for r in runs.values() if reference_of(split_name(r["name"])[0])]
    families = {split_name(r["name"])[0] for r in ours}

    def partners(ref_family):
        base, _ = reference_of(ref_family)
        if base in families:
            return {base}
        prefixed = {f for f in families if f.startswith(base) and len(base) > 3}
        return prefixed or families  # a reference naming nothing is the whole program's

    rows = []
    for run in ours:
        family, args = split_name(run["name"])
        if run["ratio"] is not None:
            rows.append([program, display_name(run["name"]), describe(run),
                         run["label"] or "its own ratio counter", "-", f"{run['ratio']:.3g}"])
        paired = False
        for ref in refs:
            ref_family, ref_args = split_name(ref["name"])
            if family not in partners(ref_family) or ref_args not in (args, ""):
                continue
            paired = True
            kind = reference_of(ref_family)[1]
            ratio = ref["seconds"] / run["seconds"] if run["seconds"] > 0 else float("nan")
            rows.append([program, display_name(run["name"]), describe(run),
                         f"{kind}: {display_name(ref['name'])}", describe(ref), f"{ratio:.3g}"])
        if not paired and run["ratio"] is None:
            rows.append([program, display_name(run["name"]), describe(run), "-", "-", "-"])
    return rows


def markdown_table(rows):
    head = ["Program", "Benchmark", "Ours (time/iter)", "Compared with", "Reference (time/iter)",
            "Ratio"]
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    lines += ["| " + " | ".join(str(c) for c in row) + " |" for row in rows]
    return "\n".join(lines)


BEGIN_MARK = "<!-- make bench: generated part, from here to the end mark; text outside is kept -->"
END_MARK = "<!-- make bench: end of generated part -->"


def replace_generated(path, generated):
    try:
        with open(path) as f:
            old = f.read()
    except OSError:
        old = "# Benchmark results\n"
    block = BEGIN_MARK + "\n" + generated.rstrip("\n") + "\n" + END_MARK + "\n"
    start, end = old.find(BEGIN_MARK), old.find(END_MARK)
    if start >= 0 and end > start:
        text = old[:start] + block + old[end + len(END_MARK):].lstrip("\n")
    else:
        text = old.rstrip("\n") + "\n\n" + block
    with open(path, "w") as f:
        f.write(text)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--markdown", help="also write the table with a short header to this file")
    parser.add_argument("--command", default="make bench")
    parser.add_argument("results", nargs="+")
    args = parser.parse_args()

    rows, context, plain = [], {}, []
    for path in args.results:
        program = os.path.splitext(os.path.basename(path))[0]
        if not path.endswith(".json"):
            try:
                with open(path) as f:
                    plain.append((program, f.read().strip()))
            except OSError as e:
                print(f"bench_table: cannot read {path}: {e}", file=sys.stderr)
            continue
        try:
            ctx, runs = load_runs(path)
        except (OSError, ValueError, KeyError) as e:
            print(f"bench_table: cannot read {path}: {e}", file=sys.stderr)
            continue
        context = context or ctx
        rows += rows_for(program, runs)

    sections = []
    if rows:
        sections.append(markdown_table(rows))
    sections += [f"### {program}\n\n{text}" for program, text in plain]
    report = "\n\n".join(sections)
    print(report)
    if args.markdown:
        when = context.get("date") or datetime.now(timezone.utc).isoformat(timespec="seconds")
        machine = f"{context.get('num_cpus', os.cpu_count())} CPUs"
        if context.get("mhz_per_cpu"):
            machine += f" at {context['mhz_per_cpu']} MHz"
        header = (
            f"Measured with `{args.command}` on {when} ({machine}).\n"
            "Ratio = reference time / our time per iteration, both measured in the same run:\n"
            "above 1 we are faster than the peer; against a limit it is the share of the limit\n"
            "reached. A row without a reference time reports the benchmark's own ratio\n"
            "counter, against what its label names. Pairing rules: bench/README.md.\n\n")
        replace_generated(args.markdown, header + report)
    return 0 if sections else 1


if __name__ == "__main__":
    sys.exit(main())
