#!/usr/bin/env python3
"""The Python module against the library itself, on a mix of 10 million events (console type
3, 2000 paths, every member a mix has), in both forms:

  load          Mix.load against a package's Load (PythonReferenceBench.cpp); target 1.1x
  events        taking mix.events of 10 M events against taking it of 10: no copy, so the
                same few microseconds whatever the size
  edit + sort   paths 0-7 moved 37 units later and their faders 3 dB down through NumPy, then
                mix.sort(), against the same loop and Sort in C++; target 2x

Build first: cmake --build --preset dev --target _commonobjects commonobjects_bench. Run with
Debian's interpreter (it has NumPy): /usr/bin/python3 bench/python_bench.py [--build build/dev].
Files go to the temporary folder ($TMPDIR, else /tmp); each time is the shortest of --runs runs
(C++: of --runs repetitions of 5 iterations), as other work on the machine only adds time.
"""

import argparse
import json
import os
import subprocess
import sys
import tempfile
import time

REGISTRY = """REGEDIT4

[HKEY_LOCAL_MACHINE\\SOFTWARE\\QRXTARN\\QENSERVER]
"CompressedAutoPauseMs"=dword:00000000
"""


def best_seconds(work, runs, before=None):
    """The shortest of the runs: other processes on the machine only ever add time."""
    times = []
    for _ in range(runs):
        if before:
            before()
        start = time.perf_counter()
        result = work()
        times.append(time.perf_counter() - start)
        del result  # freeing a mix is not part of the work
    return min(times)


def make_events(co, np, count):
    """A feature's automation: times rising over three hours, moves on every path, fader
    levels (14/0) a third of them."""
    rng = np.random.default_rng(7)
    events = np.zeros(count, co.EVENT_DTYPE)
    events["time"] = np.sort(rng.integers(1, 3 * 3600 * 100, count, dtype=np.int32))
    events["path"] = rng.integers(0, 2000, count, dtype=np.int32)
    events["proc"] = np.where(rng.random(count) < 1 / 3, 14, rng.integers(0, 36, count))
    events["control"] = np.where(events["proc"] == 14, 0, rng.integers(0, 9, count))
    events["value"] = rng.integers(-8192, 0, count, dtype=np.int16)
    return events


def cpp_times(build, files, runs):
    """The C++ side's shortest of `runs` repetitions (each the mean of 5 iterations), seconds."""
    program = os.path.join(build, "bench", "commonobjects_bench")
    env = dict(os.environ, COMMONOBJECTS_BENCH_MIX=files[False], COMMONOBJECTS_BENCH_COMPRESSED_MIX=files[True])
    out = subprocess.run([program, "--benchmark_filter=PythonReference", "--benchmark_format=json",
                          f"--benchmark_repetitions={runs}"], env=env, check=True, capture_output=True, text=True).stdout
    best = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("run_type") == "iteration":
            name = b["name"].split("/")[0].removeprefix("BM_PythonReference")
            best[name] = min(best.get(name, float("inf")), b["real_time"] / 1000)
    return best


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default="build/dev", help="the build folder (default build/dev)")
    parser.add_argument("--events", type=int, default=10_000_000)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    folder = tempfile.mkdtemp(prefix="commonobjects-pybench-")
    with open(os.path.join(folder, "bench.reg"), "w") as registry:
        registry.write(REGISTRY)
    os.environ["COMMONOBJECTS_REGISTRY"] = os.path.join(folder, "bench.reg")  # compressed saves without pauses
    sys.path.insert(0, os.path.join(args.build, "python", "package"))
    import numpy as np

    import commonobjects as co

    mix = co.Mix()
    mix.extend(make_events(co, np, args.events))
    files = {form: os.path.join(folder, f"bench-{form}.mix") for form in (False, True)}
    for compressed, file in files.items():
        mix.save(file, compressed=compressed)
    del mix
    cpp = cpp_times(args.build, files, args.runs)

    rows = []
    for compressed, name in ((False, "Structured"), (True, "Compressed")):
        seconds = best_seconds(lambda: co.Mix.load(files[compressed]), args.runs)
        rows.append((f"load, {name.lower()}", seconds, cpp["Load" + name], 1.1))

    mix = co.Mix.load(files[False])
    small = co.Mix()
    small.extend(np.zeros(10, co.EVENT_DTYPE))
    big_view = best_seconds(lambda: mix.events, 1000)
    small_view = best_seconds(lambda: small.events, 1000)

    pristine = mix.events.copy()

    def restore():
        view = mix.events
        view[:] = pristine

    def edit_and_sort():
        ev = mix.events
        moved = ev["path"] < 8
        faders = moved & (ev["proc"] == 14) & (ev["control"] == 0)
        ev["time"][moved] += 37
        ev["value"][faders] -= 240
        del ev
        mix.sort()

    rows.append(("edit + sort", best_seconds(edit_and_sort, args.runs, restore), cpp["EditAndSort"], 2.0))

    print(f"{args.events:,} events; best of {args.runs} runs; load average {os.getloadavg()[0]:.1f}; files in {folder}")
    print(f"{'':22}{'Python':>12}{'C++':>12}{'ratio':>8}{'target':>8}")
    for what, python, native, target in rows:
        verdict = "ok" if python <= native * target else "MISSED"
        print(f"{what:22}{python * 1000:10.1f}ms{native * 1000:10.1f}ms{python / native:8.2f}{target:7.1f}x  {verdict}")
    print(f"{'mix.events, 10 M':22}{big_view * 1e6:10.2f}us")
    print(f"{'mix.events, 10':22}{small_view * 1e6:10.2f}us  (no copy: the same whatever the size)")


if __name__ == "__main__":
    main()
