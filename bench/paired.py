#!/usr/bin/env python3
"""Times one command against its references, whole processes, in alternating rounds on the same machine state, and
prints each figure beside its reference as a ratio with the median and the spread (lowest to highest) over the
rounds. A shared machine slows both sides of a round alike; the ratio of each round is what is compared.

Usage: paired.py TITLE [--runs N] [--rss] [--cores N] [--before CMD] -- LABEL CMD [-- LABEL CMD [GOAL VALUE]]...
  The first LABEL CMD is ours; each later one is a reference, optionally with a goal for ours against it:
    rate V   our rate (its time over ours) at least V times the reference's; with --cores N, per core we use
    time V   our time at most V times the reference's
    mb V     (with --rss) our peak memory below V MB
  --rss      compares peak resident memory of the processes instead of their time
  --before   runs before every command (not timed), e.g. to empty a target folder
Commands run with bash -c in the current environment; one untimed round warms the page cache first.
"""
import os
import statistics
import subprocess
import sys
import time


def run(command, before):
    if before:
        subprocess.run(["bash", "-c", before], check=True)
    start = time.perf_counter()
    with open(os.devnull, "wb") as null:
        process = subprocess.Popen(["bash", "-c", command], stdout=null, stderr=null, stdin=subprocess.DEVNULL)
        _, status, usage = os.wait4(process.pid, 0)
    seconds = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        print(f"  (exit code {os.waitstatus_to_exitcode(status)}: {command})", flush=True)
    return seconds, usage.ru_maxrss / 1000  # MB


def parse(argv):
    options = {"runs": int(os.environ.get("BENCH_RUNS", "5")), "rss": False, "cores": 1, "before": ""}
    title, rest = argv[0], argv[1:]
    while rest and rest[0] != "--":
        flag = rest.pop(0)
        if flag == "--rss":
            options["rss"] = True
        else:
            options[flag[2:]] = rest.pop(0) if flag == "--before" else int(rest.pop(0))
    sides = []
    while rest:
        rest.pop(0)  # "--"
        side = []
        while rest and rest[0] != "--":
            side.append(rest.pop(0))
        sides.append(side)
    return title, options, sides


def spread(values, unit):
    return f"{statistics.median(values):8.2f} {unit}  ({min(values):.2f}-{max(values):.2f})"


def main():
    title, options, sides = parse(sys.argv[1:])
    rss, runs = options["rss"], options["runs"]
    print(f"== {title} ({runs} alternating runs, median and spread)", flush=True)
    for _, command, *_ in sides:
        run(command, options["before"])
    figures = [[] for _ in sides]
    for round_ in range(runs):
        order = list(range(len(sides)))
        if round_ % 2:
            order.reverse()
        for i in order:
            seconds, megabytes = run(sides[i][1], options["before"])
            figures[i].append(megabytes if rss else seconds)
    unit = "MB" if rss else "s"
    print(f"  {sides[0][0]:44} {spread(figures[0], unit)}")
    for side, values in zip(sides[1:], figures[1:]):
        label, goal = side[0], side[2:]
        # Per round: the reference's time over ours (a rate ratio, above 1 is faster), or our memory over its.
        ratios = [(o / r if rss else r / o) for o, r in zip(figures[0], values)]
        line = f"  {label:44} {spread(values, unit)}  ours {statistics.median(ratios):.2f}x ({min(ratios):.2f}-{max(ratios):.2f})"
        if goal:
            kind, value = goal[0], float(goal[1])
            if kind == "rate":
                got = statistics.median(ratios) / options["cores"]
                per = f" per core used ({options['cores']})" if options["cores"] > 1 else ""
                line += f"  goal rate >= {value:.2f}x{per}: {got:.2f}x {'met' if got >= value else 'MISSED'}"
            elif kind == "time":
                got = 1 / statistics.median(ratios)
                line += f"  goal time <= {value:.2f}x: {got:.2f}x {'met' if got <= value else 'MISSED'}"
        print(line)
        if goal and goal[0] == "mb":
            got = statistics.median(figures[0])
            print(f"  {'':44} goal peak < {float(goal[1]):.0f} MB: {got:.1f} MB {'met' if got < float(goal[1]) else 'MISSED'}")
    print(flush=True)


if __name__ == "__main__":
    main()
