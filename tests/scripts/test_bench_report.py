#!/usr/bin/env python3
"""scripts/bench-report on a saved run (testdata/bench/sample-run.json), with figures changed
where a test needs known values: the table's figures and verdicts, rows whose benchmark is
gone, failed benchmarks, and the README between its markers."""

import copy
import json
import os
import pathlib
import runpy
import subprocess
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
SCRIPT = ROOT / "scripts" / "bench-report"
SAMPLE = json.loads((ROOT / "testdata" / "bench" / "sample-run.json").read_text(encoding="utf-8"))
ROWS = runpy.run_path(str(SCRIPT))["ROWS"]

SORT = "BM_Sort<CAutomationEventArray::SortByTime, EventOrder::TimePathProcControl>"


def entry(document, name):
    return next(b for b in document["benchmarks"] if b["name"].startswith(name + "/") or b["name"] == name)


class BenchReportTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.run_json = os.path.join(self.folder.name, "run.json")

    def tearDown(self):
        self.folder.cleanup()

    def report(self, document, *arguments):
        """(exit status, table rows by measure, stdout + stderr)."""
        with open(self.run_json, "w", encoding="utf-8") as f:
            json.dump(document, f)
        done = subprocess.run([sys.executable, str(SCRIPT), "--json", self.run_json, *arguments],
                              capture_output=True, text=True)
        rows = {}
        for line in done.stdout.splitlines():
            cells = [c.strip() for c in line.strip("|").split("|")]
            if line.startswith("| ") and cells[0] != "measure":
                rows[cells[0]] = dict(zip(("ours", "baseline", "ratio", "goal", "met"), cells[1:]))
        return done.returncode, rows, done.stdout + done.stderr

    def test_every_row_has_its_figures_and_a_verdict_where_it_has_a_goal(self):
        status, rows, output = self.report(SAMPLE)
        self.assertEqual(status, 0, output)
        self.assertEqual(list(rows), [row.measure for row in ROWS])
        for row in ROWS:
            cells = rows[row.measure]
            self.assertTrue(cells["ours"], row.measure)
            self.assertEqual(bool(cells["ratio"]), row.baseline is not None, row.measure)
            self.assertIn(cells["met"], ("yes", "no") if row.goal else ("–",), row.measure)

    def test_figures_ratios_and_verdicts_from_known_values(self):
        run = copy.deepcopy(SAMPLE)
        entry(run, SORT + "/data:0/std_sort:0")["per_event"] = 40e-9
        entry(run, SORT + "/data:0/std_sort:1")["per_event"] = 160e-9
        entry(run, SORT + "/data:1/std_sort:0")["per_event"] = 80e-9
        entry(run, SORT + "/data:1/std_sort:1")["per_event"] = 160e-9
        # Wall-clock benchmarks are read by their real time, the others by CPU time.
        entry(run, "BM_CompressedAutoWriteBlock/pause_ms:0").update(real_time=1200, cpu_time=900, time_unit="ms")
        entry(run, "BM_CompressedAutoCodecChunked").update(real_time=1000, cpu_time=1000, time_unit="ms")
        entry(run, "BM_ReadTextEdl/100000").update(real_time=80, cpu_time=120, time_unit="ms")
        entry(run, "BM_ReadTextChangeList/100000").update(real_time=1, cpu_time=50000, time_unit="us")
        entry(run, "BM_StepToTime")["events_per_s"] = 99e6
        entry(run, "RemoveSameTimeDuplicates/10000000")["events_per_s"] = 150e6
        entry(run, "RemoveSameTimeDuplicates_FullTable/10000000")["events_per_s"] = 10e6
        status, rows, output = self.report(run)
        self.assertEqual(status, 0, output)  # missed goals do not fail the report

        expected = {
            "`Sort` by time, shuffled": ("40.0 ns/event", "std::sort: 160 ns/event", "4.00x faster", "yes"),
            "`Sort` by time, as recorded": ("80.0 ns/event", "std::sort: 160 ns/event", "2.00x faster", "no"),
            "compressed automation file, 100 MiB, pause 0: write": ("1.20 s", "zlib alone: 1.00 s", "1.20x", "yes"),
            "text edit list (`GetSourceDestItems`), 100,000 events": ("120 ms", "", "", "no"),
            "change list, text report, 100,000 changes": ("50.0 ms", "", "", "yes"),
            "`StepToTime` through the whole mix": ("99.0 M events/s", "", "", "no"),
            "`RemoveSameTimeDuplicates`, 10 M events":
                ("150 M events/s", "full-table merge: 10.0 M events/s", "15.0x faster", "yes"),
        }
        for measure, (ours, baseline, ratio, met) in expected.items():
            cells = rows[measure]
            self.assertEqual((cells["ours"], cells["baseline"], cells["ratio"], cells["met"]),
                             (ours, baseline, ratio, met), measure)
        self.assertIn("missed: `Sort` by time, as recorded: 2.00x faster (goal ≥ 3x faster)", output)

    def test_a_row_whose_benchmark_or_counter_is_gone_is_reported_and_fails_the_report(self):
        run = copy.deepcopy(SAMPLE)
        run["benchmarks"].remove(entry(run, "BM_StepToTime"))
        del entry(run, SORT + "/data:2/std_sort:1")["per_event"]
        status, rows, output = self.report(run)
        self.assertEqual(status, 1)
        self.assertEqual(rows["`StepToTime` through the whole mix"]["met"], "missing")
        self.assertEqual(rows["`Sort` by time, nearly in order"]["met"], "missing")
        self.assertIn("no benchmark BM_StepToTime", output)
        self.assertIn("reports no per_event", output)

    def test_a_failed_benchmark_is_marked_as_an_error_with_its_message(self):
        run = copy.deepcopy(SAMPLE)
        entry(run, "BM_GsfCat100MB").update(error_occurred=True, error_message="gsf is missing")
        status, rows, output = self.report(run)
        self.assertEqual(status, 0, output)
        self.assertEqual(rows["compound file: reading a 100 MB stream, 1 MiB reads"]["met"], "error")
        self.assertIn("gsf is missing", output)

    def test_filter_selects_rows_by_measure_or_benchmark_name(self):
        status, rows, _ = self.report(SAMPLE, "--filter", "steptotime")
        self.assertEqual((status, list(rows)), (0, ["`StepToTime` through the whole mix"]))
        status, rows, _ = self.report(SAMPLE, "--filter", "BM_PlainRead$")
        self.assertEqual(list(rows), ["event-array file `Load`"])
        status, _, output = self.report(SAMPLE, "--filter", "no such row")
        self.assertEqual(status, 1, output)

    def test_readme_table_is_written_between_the_markers_and_nowhere_else(self):
        readme = pathlib.Path(self.folder.name, "README.md")
        before, after = "# Title\n\n## Speed\n\nProse.\n\n", "\n\nMore prose.\n"
        readme.write_text(before + "<!-- bench:begin -->\nold table\n<!-- bench:end -->" + after, encoding="utf-8")
        status, _, output = self.report(SAMPLE, "--readme", str(readme))
        self.assertEqual(status, 0, output)
        text = readme.read_text(encoding="utf-8")
        self.assertTrue(text.startswith(before + "<!-- bench:begin -->\nRun of 2026-"), text)
        self.assertTrue(text.endswith("<!-- bench:end -->" + after), text)
        self.assertNotIn("old table", text)
        self.assertRegex(text, r"\n\| `StepToTime` through the whole mix +\| +[0-9.]+ M events/s \|")
        self.report(SAMPLE, "--readme", str(readme))
        self.assertEqual(readme.read_text(encoding="utf-8"), text)  # a second write changes nothing

        # Left as it is: a run that lacks rows, a filtered table, a file without markers.
        partial = copy.deepcopy(SAMPLE)
        partial["benchmarks"].remove(entry(partial, "BM_StepToTime"))
        self.assertEqual(self.report(partial, "--readme", str(readme))[0], 1)
        self.assertEqual(self.report(SAMPLE, "--readme", str(readme), "--filter", "sort")[0], 1)
        self.assertEqual(readme.read_text(encoding="utf-8"), text)
        unmarked = pathlib.Path(self.folder.name, "UNMARKED.md")
        unmarked.write_text("no markers\n", encoding="utf-8")
        status, _, output = self.report(SAMPLE, "--readme", str(unmarked))
        self.assertEqual(status, 1)
        self.assertIn("markers", output)
        self.assertEqual(unmarked.read_text(encoding="utf-8"), "no markers\n")

    def test_check_names_the_rows_benchmarks_the_program_lacks(self):
        names = [b["name"] for b in SAMPLE["benchmarks"] if b["name"] != "BM_StepToTime"]
        program = pathlib.Path(self.folder.name, "fake_bench")
        program.write_text("#!/bin/sh\ncat <<'EOF'\n" + "\n".join(names) + "\nEOF\n", encoding="utf-8")
        program.chmod(0o755)
        done = subprocess.run([sys.executable, str(SCRIPT), "--bench", str(program), "--check"],
                              capture_output=True, text=True)
        self.assertEqual(done.returncode, 1)
        self.assertEqual(done.stderr.strip(), f"{program} has no benchmark BM_StepToTime")


if __name__ == "__main__":
    unittest.main()
