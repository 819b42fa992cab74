#!/usr/bin/env python3
"""Runs two builds of a Google Benchmark program in turns and prints the
median time of each benchmark in both, and their ratio.

    compare.py BEFORE AFTER [--filter REGEX] [--rounds N] [--pin CPU] [--env K=V ...]

--pin runs both on one processor (taskset), which steadies single-threaded
figures on a machine whose processors differ in speed from moment to moment.

Each benchmark is run by the two builds right after each other, round after
round, so that a machine whose speed drifts (other work, frequency) slows
both alike; the median of at least ten rounds is what counts.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys


def names(binary, flt, env):
    out = subprocess.run([binary, "--benchmark_filter=" + flt, "--benchmark_list_tests=true"],
                         capture_output=True, text=True, env=env, check=True).stdout
    return [line.strip() for line in out.splitlines() if line.strip()]


PIN = []


def run(binary, flt, env):
    out = subprocess.run(PIN + [binary, "--benchmark_filter=" + flt, "--benchmark_format=json",
                                "--benchmark_min_time=0.2"],
                         capture_output=True, text=True, env=env, check=True).stdout
    return {b["name"]: b["real_time"] * {"ns": 1, "us": 1e3, "ms": 1e6}[b["time_unit"]]
            for b in json.loads(out)["benchmarks"] if b.get("run_type", "iteration") == "iteration"}


def show(ns):
    return f"{ns / 1e6:.3f} ms" if ns >= 1e6 else f"{ns / 1e3:.2f} us" if ns >= 1e3 else f"{ns:.1f} ns"


def main():
    p = argparse.ArgumentParser()
    p.add_argument("before")
    p.add_argument("after")
    p.add_argument("--filter", default=".")
    p.add_argument("--rounds", type=int, default=10)
    p.add_argument("--env", action="append", default=[])
    p.add_argument("--pin")
    a = p.parse_args()
    if a.pin is not None:
        PIN[:] = ["taskset", "-c", a.pin]
    env = dict(os.environ)
    for kv in a.env:
        k, v = kv.split("=", 1)
        env[k] = v
    times = {"before": {}, "after": {}}
    listed = names(a.after, a.filter, env)
    known = set(names(a.before, a.filter, env))
    for r in range(a.rounds):
        for name in listed:
            exact = "^" + name + "$"
            for side, binary in (("before", a.before), ("after", a.after)):
                if side == "before" and name not in known:
                    continue
                for n, t in run(binary, exact, env).items():
                    times[side].setdefault(n, []).append(t)
        print(f"round {r + 1}/{a.rounds}", file=sys.stderr)
    print(f"| benchmark | before (median of {a.rounds}) | after | after/before |")
    print("|---|---|---|---|")
    for name in times["after"]:
        after = statistics.median(times["after"][name])
        before = times["before"].get(name)
        if before:
            b = statistics.median(before)
            print(f"| {name} | {show(b)} | {show(after)} | {after / b:.2f} |")
        else:
            print(f"| {name} | | {show(after)} | |")


if __name__ == "__main__":
    main()
