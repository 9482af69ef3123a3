#!/usr/bin/env python3
"""Prints the benchmark table of scripts/bench.sh and checks the targets.

    bench_report.py MEASUREMENTS RESULT.json...

RESULT.json are Google Benchmark's JSON outputs. MEASUREMENTS holds lines
"name=value" measured outside Google Benchmark (start-up, exe size, the
NetworkManager comparison); missing ones are reported as not measured.
Exits 1 when a target is missed.
"""
import json
import re
import sys

ENTRY_COUNTS = (10, 100, 1000)

# (what, benchmark or measurement checked, limit, unit, figure shown beside)
# The phonebook figures are cold: a fresh phonebook object for each call, as
# at the first press after the start, which reads and checks the whole file.
# A limit given as (benchmark, factor) is that benchmark's time in the same
# run times the factor: a write may take at most twice the storage's own part.
TARGETS = [
    ("EntryExists over 100 entries, cold", "BM_EntryExists_Cold/100", 1.0, "ms", None),
    ("one write into 100 entries, cold", "BM_Write_Cold/100", ("BM_Storage/100", 2.0), "ms",
     ("storage's part", "BM_Storage/100")),
    ("host start to window shown (median)", "startup_median_ms", 300.0, "ms", None),
    ("Windows exe size", "win32_exe_bytes", 1024 * 1024, "bytes", None),
    ("PPPoE discovery, the concentrator answers", "BM_Discovery_ConcentratorAnswers", 500.0,
     "ms", None),
    ("PPPoE discovery, nothing answers", "BM_Discovery_NothingAnswers", 3000.0, "ms", None),
]

# Growth up to 1,000 entries stays linear: from 100 to 1,000 entries the time
# grows at most this many times (10 for exactly linear, with room for noise;
# a fixed part only lowers it).
LINEAR_FAMILIES = ("BM_EntryExists_Cold", "BM_Write_Cold")
LINEAR_LIMIT = 15.0


def to_ms(bench):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[bench["time_unit"]]
    return bench["real_time"] * scale


def load(paths):
    results = {}
    for path in paths:
        with open(path) as f:
            for bench in json.load(f)["benchmarks"]:
                if bench.get("run_type", "iteration") != "iteration":
                    continue
                name = re.sub(r"/(real|manual)_time$", "", bench["name"])
                results[name] = bench
    return results


def load_measurements(path):
    values = {}
    with open(path) as f:
        for line in f:
            if "=" in line:
                key, value = line.strip().split("=", 1)
                values[key] = value
    return values


def fmt_ms(ms):
    return f"{ms:.4g}" if ms < 1 else f"{ms:.2f}"


def fmt_rate(rate):
    for limit, suffix in ((1e6, "M"), (1e3, "k")):
        if rate >= limit:
            return f"{rate / limit:.2f}{suffix}"
    return f"{rate:.1f}"


def print_table(results):
    print(f"{'benchmark':<40} {'time (ms)':>12} {'entries/s':>12}")
    for name, bench in results.items():
        ms = to_ms(bench)
        # Entries handled per run: the "entries" counter, else one.
        rate = bench.get("entries", 1) * 1000.0 / ms if ms > 0 else 0
        print(f"{name:<40} {fmt_ms(ms):>12} {fmt_rate(rate):>12}")


def print_growth(results):
    """Prints the growth of each family; returns how many grew faster than linearly."""
    families = {}
    for name in results:
        family, _, arg = name.rpartition("/")
        if arg.isdigit() and int(arg) in ENTRY_COUNTS:
            families.setdefault(family, {})[int(arg)] = to_ms(results[name])
    if not families:
        return 0
    print()
    print("growth with the phonebook's size (time ratio per 10x entries):")
    missed = 0
    for family, times in families.items():
        if not all(n in times for n in ENTRY_COUNTS):
            continue
        low = times[100] / times[10]
        high = times[1000] / times[100]
        per_entry_us = (times[1000] - times[100]) / 900 * 1000
        verdict = ""
        if family in LINEAR_FAMILIES:
            linear = high <= LINEAR_LIMIT
            verdict = "  linear" if linear else f"  MISSED (limit x{LINEAR_LIMIT:.0f})"
            missed += not linear
        print(f"  {family:<24} x{low:.1f} from 10 to 100 entries, x{high:.1f} from 100 to "
              f"1,000; {per_entry_us:.2f} us per entry{verdict}")
    return missed


def check_targets(results, measured):
    print()
    print("targets:")
    missed = 0
    for what, key, limit, unit, beside in TARGETS:
        if key in results:
            value = to_ms(results[key])
        elif key in measured:
            value = float(measured[key])
        else:
            print(f"  {what:<42} not measured ({key})")
            continue
        if isinstance(limit, tuple):
            if limit[0] not in results:
                print(f"  {what:<42} not measured ({limit[0]})")
                continue
            limit = to_ms(results[limit[0]]) * limit[1]
        verdict = "met" if value <= limit else "MISSED"
        missed += verdict != "met"
        if unit == "bytes":
            shown = f"{value / 1024:.0f} KiB (limit {limit / 1024:.0f} KiB)"
        else:
            shown = f"{fmt_ms(value)} ms (limit {fmt_ms(limit)} ms)"
        if beside and beside[1] in results:
            verdict += f"  ({beside[0]}: {fmt_ms(to_ms(results[beside[1]]))} ms)"
        print(f"  {what:<42} {shown:<36} {verdict}")
    return missed


# The NetworkManager phonebook through the daemon against `nmcli connection
# add type pppoe` on the same daemon, at each count of connections it holds:
# faster, steady (a press in the running program, connected since its start)
# and cold (connecting first, when libnm loads every connection) alike.
NM_COUNTS = (10, 100, 1000)
NM_OURS = [("EntryExists", "BM_NmEntryExists"), ("write", "BM_NmWrite")]


def check_nmcli_comparison(results, measured):
    if "nmcli_note" in measured:
        print()
        print(f"NetworkManager: {measured['nmcli_note']}")
    counts = [count for count in NM_COUNTS if f"nmcli_add_ms_{count}" in measured]
    if not counts:
        return 0
    print()
    print("NetworkManager through the daemon against nmcli connection add type pppoe "
          "(ms; target: faster at each size):")
    print(f"  {'connections':>11} {'nmcli add':>10} {'exists':>8} {'cold':>8} {'write':>8} "
          f"{'cold':>8}  verdict")
    missed = 0
    for count in counts:
        nmcli = float(measured[f"nmcli_add_ms_{count}"])
        cells = []
        verdict = "met"
        for _, family in NM_OURS:
            for start in ("Steady", "Cold"):
                bench = results.get(f"{family}_{start}/{count}")
                if bench is None:
                    cells.append(f"{'-':>8}")
                    verdict = "not measured"
                    continue
                cells.append(f"{fmt_ms(to_ms(bench)):>8}")
                if to_ms(bench) >= nmcli and verdict == "met":
                    verdict = "MISSED"
        missed += verdict != "met"
        print(f"  {count:>11,} {fmt_ms(nmcli):>10} {' '.join(cells)}  {verdict}")
    return missed



def main():
    measured = load_measurements(sys.argv[1])
    results = load(sys.argv[2:])
    print_table(results)
    missed = print_growth(results)
    missed += check_targets(results, measured)
    missed += check_nmcli_comparison(results, measured)
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
