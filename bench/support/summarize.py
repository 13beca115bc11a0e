#!/usr/bin/env python3
"""Turns what the benchmarks print into one table.

A benchmark measures its two sides in alternating pairs and prints, besides
anything else:

    times METRIC BASELINE CANDIDATE   one pair (seconds, or bytes for memory)
    goal METRIC KIND OP LIMIT         the goal of a metric (OP "none": a
                                      figure recorded without a goal)
    fail REASON                       why it could not measure

KIND says how a pair becomes the figure the goal is about:
    cost        CANDIDATE / BASELINE
    throughput  BASELINE / CANDIDATE
    excess      CANDIDATE - BASELINE (seconds)

    summarize.py add RESULTS NAME STATUS < OUTPUT   adds the benchmark's rows
    summarize.py table RESULTS                      prints the table

"add" exits non-zero when the benchmark did not measure: it failed, said
"fail", printed fewer than MIN_PAIRS pairs for a metric, or a metric without
a goal. A missed goal is no failure.
"""
import json
import statistics
import sys

MIN_PAIRS = 5

FIGURES = {
    "cost": lambda base, cand: cand / base,
    "throughput": lambda base, cand: base / cand,
    "excess": lambda base, cand: cand - base,
}
MEETS = {"<=": lambda value, limit: value <= limit, ">=": lambda value, limit: value >= limit}


def parse(lines):
    pairs, goals, failures = {}, {}, []
    for line in lines:
        words = line.split()
        if not words:
            continue
        if words[0] == "times" and len(words) == 4:
            pairs.setdefault(words[1], []).append((float(words[2]), float(words[3])))
        elif words[0] == "goal" and len(words) == 5:
            goals[words[1]] = (words[2], words[3], float(words[4]))
        elif words[0] == "fail":
            failures.append(" ".join(words[1:]))
    return pairs, goals, failures


def rows_for(name, status, lines):
    """The benchmark's table rows and whether it measured."""
    pairs, goals, failures = parse(lines)
    if status != 0 and not failures:
        failures.append("exit status %d" % status)
    rows = []
    for metric in sorted(set(pairs) | set(goals)):
        label = "%s %s" % (name, metric)
        samples = pairs.get(metric, [])
        if metric not in goals:
            failures.append("%s: no goal" % metric)
            continue
        kind, op, limit = goals[metric]
        if len(samples) < MIN_PAIRS:
            failures.append("%s: %d pairs, fewer than %d" % (metric, len(samples), MIN_PAIRS))
            continue
        if any(base <= 0 or cand <= 0 for base, cand in samples):
            failures.append("%s: a side measured nothing" % metric)
            continue
        figures = [FIGURES[kind](base, cand) for base, cand in samples]
        median = statistics.median(figures)
        if op == "none":
            verdict, goal = "recorded", "%s, no goal" % kind
        else:
            verdict = "met" if MEETS[op](median, limit) else "missed"
            goal = "%s %s %g" % (kind, op, limit)
        rows.append([label, "%.3f" % median, "%.3f-%.3f" % (min(figures), max(figures)), goal,
                     "%s (%d pairs)" % (verdict, len(figures))])
    if not pairs and not failures:
        failures.append("nothing measured")
    for reason in failures:
        rows.append([name, "-", "-", "-", "FAILED: " + reason])
    return rows, not failures


def add(results, name, status):
    rows, measured = rows_for(name, status, sys.stdin.read().splitlines())
    with open(results, "a") as out:
        for row in rows:
            out.write(json.dumps(row) + "\n")
    return 0 if measured else 1


def table(results):
    header = ["benchmark", "median", "range", "goal", "result"]
    with open(results) as source:
        rows = [json.loads(line) for line in source if line.strip()]
    widths = [max(len(row[i]) for row in [header] + rows) for i in range(len(header))]
    for row in [header] + rows:
        print("  ".join(cell.ljust(width) for cell, width in zip(row, widths)).rstrip())
    return 0


def main(argv):
    if len(argv) == 5 and argv[1] == "add":
        return add(argv[2], argv[3], int(argv[4]))
    if len(argv) == 3 and argv[1] == "table":
        return table(argv[2])
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
