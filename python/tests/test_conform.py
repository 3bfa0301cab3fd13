"""Edit lists, change lists, conform and recut, on the cases of the library's and the tool's
tests (tests/conform, tests/integration/ConformCommandsTest.cpp): small mixes whose fader
values tell the second their event was at."""

from pathlib import Path

import pytest

import commonobjects as co

TESTDATA = Path(__file__).resolve().parents[2] / "testdata"


def sec(seconds):
    return co.to_units(f"00:{seconds // 60:02d}:{seconds % 60:02d}:00")


def edl_line(number, source_in, source_out, record_in):
    def tc(s):
        return f"00:{s // 60:02d}:{s % 60:02d}:00"
    record_out = record_in + source_out - source_in
    return f"{number:03d}  AX  V  C  {tc(source_in)} {tc(source_out)} {tc(record_in)} {tc(record_out)}\n"


def timed_mix(path, compressed=True):
    """Paths 1 and 2 move their fader every 5 seconds from 5 s to 45 s to -5, -10, ... -45."""
    mix = co.Mix()
    for s in range(5, 50, 5):
        for p in (1, 2):
            mix.append(sec(s), p, 14, 0, -s)
    mix.save(path, compressed=compressed)
    return co.Mix.load(path)


def fader(mix, path):
    """The fader events of a path as "second:value", a time between seconds as "#units"."""
    ev = mix.events
    picked = ev[(ev["path"] == path) & (ev["proc"] == 14) & (ev["control"] == 0)]
    return " ".join((f"{t // sec(1)}" if t % sec(1) == 0 else f"#{t}") + f":{v}"
                    for t, v in zip(picked["time"].tolist(), picked["value"].tolist()))


def test_edl_conform_moves_each_stretch_and_reports_it(tmp_path):
    mix = timed_mix(tmp_path / "reel.aut")
    original = (tmp_path / "reel.aut").read_bytes()
    edl = tmp_path / "recut.edl"  # keep 0-10, cut 10-20, 20-30 to 10-20, blank 20-25, 30-40 to 25-35
    edl.write_text("TITLE: RECUT\n" + edl_line(1, 0, 10, 0) + edl_line(2, 20, 30, 10) + edl_line(3, 30, 40, 25))
    phases = set()
    status, report = co.conform(mix, edl, progress=lambda phase, percent: phases.add(phase))
    assert status == co.ConformStatus.DONE and report.status == co.ConformStatus.DONE
    assert "conforming" in phases
    for p in (1, 2):
        assert fader(mix, p) == f"5:-5 #{sec(10) + p}:-20 15:-25 #{sec(25) + p}:-30 30:-35"
    kinds = [(s.kind, s.old_start, s.new_start, s.length) for s in report.stretches]
    assert kinds[:5] == [("kept", 0, 0, sec(10)), ("removed", sec(10), None, sec(10)),
                         ("moved", sec(20), sec(10), sec(10)), ("inserted", None, sec(20), sec(5)),
                         ("moved", sec(30), sec(25), sec(10))]
    assert kinds[5][0] == "removed" and kinds[5][1] == sec(40)
    assert report.sources == (co.SourceMix(str(tmp_path / "reel.aut"), True),)
    assert (report.events_before, report.events_after) == (18, len(mix))
    assert "1 kept, 2 removed, 2 moved, 1 inserted" in str(report) and "Status 0: conform done" in str(report)
    assert (tmp_path / "reel.aut").read_bytes() == original  # the caller saves


@pytest.mark.parametrize("operation, expected", [
    (lambda m: co.recut_delete(m, sec(12), sec(22)),
     "5:-5 10:-10 #2201:-20 25:-25 30:-30 35:-35 40:-40 45:-45"),
    (lambda m: co.recut_copy(m, "#200", "#1200", "00:00:32:00"),
     "5:-5 10:-10 15:-15 20:-20 25:-25 30:-30 #3201:-8192 35:-5 40:-10 #4201:-40 45:-45"),
    (lambda m: co.recut_move(m, sec(2), sec(12), sec(32)),
     "#1201:-10 15:-15 20:-20 25:-25 30:-30 35:-35 40:-40 #4401:-8192 47:-5 52:-10 #5401:-45"),
])
def test_recut_copies_moves_and_deletes_a_stretch(tmp_path, operation, expected):
    mix = timed_mix(tmp_path / "recut.aut", compressed=False)
    status, report = operation(mix)
    assert status == co.ConformStatus.DONE
    assert report.path_note == "Paths: every path (a recut conforms the whole mix)"
    assert fader(mix, 1) == expected


def test_failed_conforms_raise_or_return_their_status_and_leave_the_mix(tmp_path):
    mix = timed_mix(tmp_path / "reel.aut")
    before = mix.events.copy()
    with pytest.raises(co.ConformError, match="conform status 4: .*check the name of") as error:
        co.conform(mix, tmp_path / "none.edl")
    assert error.value.status == co.ConformStatus.EDL_OPEN_FAILED
    garbage = tmp_path / "garbage.cut"
    garbage.write_bytes(b"\x00\x01 no change list here\n")
    status, report = co.conform(mix, garbage, check=False)
    assert (status, report) == (co.ConformStatus.CHANGE_LIST_HEAD_FAILED, None)
    assert status.text == "the change list failed before its first change"
    assert (mix.events == before).all()
    with pytest.raises(ValueError, match="end must be later than start"):
        co.recut_delete(mix, 50, 40)
    with pytest.raises(ValueError, match="land before time 0"):
        co.recut_move(mix, 50, 60, -10)
    with pytest.raises(TypeError):
        co.conform(co.EventArray(), tmp_path / "none.edl")


def test_conform_narrowed_to_paths_drops_the_others(tmp_path):
    mix = timed_mix(tmp_path / "reel.aut")
    edl = tmp_path / "same.edl"
    edl.write_text(edl_line(1, 0, 50, 0))
    status, report = co.conform(mix, edl, paths=[2])
    assert fader(mix, 1) == "" and fader(mix, 2).startswith("5:-5 10:-10")
    assert report.path_note.startswith("Paths: 2 (1 of 2000)")


def test_edit_lists_read_as_conform_reads_them(tmp_path):
    # EDLSampleFilesTest: pycmx_TEST.edl in the AVID dialect
    events = co.read_edl(TESTDATA / "edl" / "pycmx_TEST.edl", format="avid")
    assert len(events) == 148 and sum(e.result == "event" for e in events) == 134
    e = events[100]
    assert (e.number, e.reel, e.video, e.tracks, e.transition) == (82, "TC_R1_V6", False, (8,), "D")
    assert (e.source_in, e.record_in, e.record_out) == ("00:00:00:00", "01:13:07:22", "01:13:23:18")
    assert e.dest_start == co.to_units("01:13:07:22") and e.length == co.to_units("00:00:15:20")
    edl = tmp_path / "one.edl"
    edl.write_text(edl_line(7, 20, 30, 10))
    (only,) = co.read_edl(edl)
    assert (only.number, only.source_start, only.dest_start, only.length) == (7, sec(20), sec(10), sec(10))
    with pytest.raises(ValueError, match="no edit list format is called \"CMX9\""):
        co.read_edl(edl, format="CMX9")
    with pytest.raises(FileNotFoundError):
        co.read_edl(tmp_path / "none.edl")


def test_change_lists_read_in_list_order():
    # CutListReaderTest: reel1-v2.cut
    changes = co.read_cutlist(TESTDATA / "cutlist" / "reel1-v2.cut")
    assert [(c.kind, c.position, c.length, c.source_change) for c in changes] == [
        ("trim head", 1600, 32, None), ("trim middle", 2408, 20, None), ("trim tail", 3200, 12, None),
        ("lengthen head", 4000, 48, None), ("lengthen tail", 4800, 16, None), ("delete", 5600, 64, None),
        ("insert", 6400, 40, None), ("move", 7200, 80, None), ("insert from", 9600, 80, 12),
        ("trim head", 11200, 16, None), ("move", 12800, 80, None)]
    assert [c.number for c in changes] == list(range(1, 12))
    assert changes[0].length_units == round(32 * 100 / 24)
