#!/usr/bin/env python3
"""Runs the benchmark binary and prints how many times faster each of our
operations is than net-snmp's (pairs NAME/ours and NAME/netsnmp).

usage: ratios.py [--check] BINARY [extra benchmark arguments]
--check exits 1 when Decode is below 4x or Encode below 3x.
"""
import json
import subprocess
import sys

TARGETS = {"Decode": 4.0, "Encode": 3.0}


def main(argv):
    check = "--check" in argv
    args = [a for a in argv if a != "--check"]
    if not args:
        print(__doc__, file=sys.stderr)
        return 2
    # Repetitions run in random order, so that a change in the machine's
    # load falls on both sides of a pair rather than on one of them.
    cmd = args + ["--benchmark_format=json", "--benchmark_repetitions=9",
                  "--benchmark_enable_random_interleaving=true",
                  "--benchmark_report_aggregates_only=true"]
    out = subprocess.run(cmd, check=True, capture_output=True, text=True).stdout
    times = {}
    ok = True
    for b in json.loads(out)["benchmarks"]:
        if b.get("aggregate_name", "median") != "median":
            continue
        if b.get("error_occurred"):
            print("%s failed: %s" % (b["run_name"], b.get("error_message", "")), file=sys.stderr)
            ok = False
            continue
        times[b["run_name"]] = b["cpu_time"]
    for name in sorted({n.split("/")[0] for n in times}):
        ours, theirs = times.get(name + "/ours"), times.get(name + "/netsnmp")
        if ours is None or theirs is None:
            continue
        ratio = theirs / ours
        want = TARGETS.get(name)
        verdict = "" if want is None else (" (target %.0fx: %s)" % (want, "met" if ratio >= want else "MISSED"))
        if want is not None and ratio < want:
            ok = False
        print("%-16s ours %9.1f ns  net-snmp %9.1f ns  ratio %5.2fx%s" % (name, ours, theirs, ratio, verdict))
    return 0 if ok or not check else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
