#!/usr/bin/env python3
"""Runs every benchmark program once, briefly, and checks the goals written in
the benchmarks' own sources.

A goal is a comment line in tests/bench/<program>.cpp:

    // goal: BM_SaveScore <= 1.5 x Floor_WriteFsync        (a ratio to a floor)
    // goal: BM_OpenScoreFresh/real_time peak_per_held <= 1.2  (a counter)
    // goal: DrawOnImage/1 <= 3 ms                          (a time)

Ratios and counters are measured in one run, so they hold on any machine: the
run fails when one falls past twice its goal. Times depend on the machine and
are printed beside their goal only. The run also fails when a program does not
run to its end or a benchmark reports an error.

usage: check_benchmarks.py BIN_DIR SOURCE_DIR
"""
import json
import os
import re
import subprocess
import sys
import tempfile

# The player's benchmark plays in real time: only its fastest speed runs here.
FILTERS = {"bench_player": "/500"}
UNIT_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1000.0}
GOAL = re.compile(
    r"^\s*//\s*goal:\s*(?P<name>\S+)(?:\s+(?P<counter>[A-Za-z_]\w*))?\s*<=\s*"
    r"(?P<value>[0-9.]+)\s*(?:(?P<ms>ms)|x\s+(?P<floor>\S+))?\s*$")


def goals_of(source):
    found = []
    with open(source, encoding="utf-8") as f:
        for line in f:
            m = GOAL.match(line)
            if m:
                found.append(m.groupdict())
            elif re.match(r"^\s*//\s*goal:", line):
                raise SystemExit(f"{source}: a goal line that cannot be read: {line.strip()}")
    return found


def run(program, out_json):
    args = [program, "--benchmark_min_time=0.01", "--benchmark_format=console",
            f"--benchmark_out={out_json}", "--benchmark_out_format=json"]
    name = os.path.basename(program)
    if name in FILTERS:
        args.append(f"--benchmark_filter={FILTERS[name]}")
    done = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return done.returncode, done.stdout


def main():
    bin_dir, source_dir = sys.argv[1], sys.argv[2]
    bench_src = os.path.join(source_dir, "tests", "bench")
    programs = sorted(f[:-4] for f in os.listdir(bench_src)
                      if f.startswith("bench_") and f.endswith(".cpp"))
    faults = []
    checked = 0
    with tempfile.TemporaryDirectory() as tmp:
        for name in programs:
            exe = os.path.join(bin_dir, name)
            if not os.access(exe, os.X_OK):
                faults.append(f"{name}: not built")
                continue
            out_json = os.path.join(tmp, name + ".json")
            rc, text = run(exe, out_json)
            print(f"== {name}\n{text.rstrip()}")
            if rc != 0 or not os.path.exists(out_json):
                faults.append(f"{name}: exited with {rc}")
                continue
            with open(out_json, encoding="utf-8") as f:
                results = {b["name"]: b for b in json.load(f)["benchmarks"]}
            for b in results.values():
                if b.get("error_occurred"):
                    faults.append(f"{name}: {b['name']}: {b.get('error_message', 'error')}")

            def ms(bench):
                return bench["real_time"] * UNIT_MS[bench.get("time_unit", "ns")]

            for g in goals_of(os.path.join(bench_src, name + ".cpp")):
                bench = results.get(g["name"])
                if bench is None:
                    if name in FILTERS:
                        continue
                    faults.append(f"{name}: the goal names {g['name']}, which did not run")
                    continue
                goal = float(g["value"])
                if g["ms"]:
                    print(f"   {g['name']}: {ms(bench):.2f} ms (goal {goal:g} ms, not checked here)")
                    continue
                if g["counter"]:
                    if g["counter"] not in bench:
                        faults.append(f"{name}: {g['name']} has no counter {g['counter']}")
                        continue
                    got, what = float(bench[g["counter"]]), g["counter"]
                else:
                    floor = results.get(g["floor"])
                    if floor is None or ms(floor) <= 0:
                        faults.append(f"{name}: the floor {g['floor']} did not run")
                        continue
                    got, what = ms(bench) / ms(floor), f"x {g['floor']}"
                checked += 1
                verdict = "ok" if got <= 2 * goal else "PAST TWICE THE GOAL"
                print(f"   {g['name']}: {got:.3f} {what} (goal {goal:g}): {verdict}")
                if got > 2 * goal:
                    faults.append(f"{name}: {g['name']} is {got:.3f} {what}, past twice its goal {goal:g}")
    for f in faults:
        print("benchmark fault: " + f)
    print(f"benchmarks: {len(programs)} programs run, {checked} ratio goals checked, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
