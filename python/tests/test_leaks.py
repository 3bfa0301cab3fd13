"""10,000 load/free cycles of mixes (both forms) and event-array files, with views of their
events, grow neither Python's heap (tracemalloc) nor the process (resident set).

They run in a process of their own on a console of type 2 in max paths mode 0 (256 paths),
where a mix is small enough to load 10,000 times in seconds (type 3 gives every mix 2000
paths and a gang map of 8 MB)."""

import os
import subprocess
import sys

CYCLES = 10_000

SCRIPT = r"""
import os, sys, tracemalloc
import numpy as np
import commonobjects as co

folder, cycles = sys.argv[1], int(sys.argv[2])
events = np.zeros(500, co.EVENT_DTYPE)
events["time"] = np.arange(500)
mix = co.Mix()
mix.extend(events)
files = [os.path.join(folder, name) for name in ("s.mix", "c.mix", "e.aut")]
mix.save(files[0], compressed=False)
mix.save(files[1], compressed=True)
co.EventArray(events).save(files[2])

def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")

def cycle(i):
    loaded = co.Mix.load(files[i % 2]) if i % 3 else co.EventArray.load(files[2])
    view = loaded.between(100, 200)
    assert len(view) == 100
    try:
        co.Mix.load(os.path.join(folder, "missing.mix"))
    except FileNotFoundError:
        pass

for i in range(cycles // 10):  # warm up: caches, allocator pools
    cycle(i)
tracemalloc.start()
heap, rss = tracemalloc.get_traced_memory()[0], resident_bytes()
for i in range(cycles):
    cycle(i)
print(tracemalloc.get_traced_memory()[0] - heap, resident_bytes() - rss)
"""


def test_load_free_cycles_do_not_leak(tmp_path):
    registry = tmp_path / "type2.reg"
    registry.write_text('REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\QRX Tarn Tavmir\\Main]\n'
                        '"TavmirConsoleType"=dword:00000002\n')
    env = dict(os.environ, COMMONOBJECTS_REGISTRY=str(registry))
    done = subprocess.run([sys.executable, "-c", SCRIPT, str(tmp_path), str(CYCLES)], env=env,
                          capture_output=True, text=True, timeout=600)
    assert done.returncode == 0, done.stderr
    heap_growth, rss_growth = map(int, done.stdout.split())
    assert heap_growth < 64 * 1024, f"Python heap grew {heap_growth} bytes over {CYCLES} cycles"
    assert rss_growth < 4 * 1024 * 1024, f"resident set grew {rss_growth} bytes over {CYCLES} cycles"
