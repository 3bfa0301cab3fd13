"""EventArray: the NumPy view of the library's events, insertion, sorting, time ranges and
event-array files."""

import gc

import numpy as np
import pytest

import commonobjects as co
from conftest import array_of, rows_of, rows_to_events


def address(view):
    return view.__array_interface__["data"][0]


def test_dtype_is_the_library_record_byte_for_byte(tmp_path):
    assert co.EVENT_DTYPE.itemsize == 16
    assert co.EVENT_DTYPE.names == ("time", "path", "proc", "control", "value", "old_value", "flags")
    assert [co.EVENT_DTYPE.fields[n][1] for n in co.EVENT_DTYPE.names] == [8, 4, 0, 1, 2, 14, 12]
    # Written through the dtype, read back by the library's file writer and reader.
    events = np.zeros(2, co.EVENT_DTYPE)
    events[0] = (1000, 1999, 255, 8, -32768, 32767, 1)
    events[1] = (2**31 - 1, 0, 36, 3, 32767, -1, 0)
    co.EventArray(events).save(tmp_path / "a.aut")
    loaded = co.EventArray.load(tmp_path / "a.aut").events
    assert np.array_equal(loaded, events)  # field by field: byte 13 is padding


def test_view_is_the_library_memory_and_writes_reach_the_library(tmp_path):
    array = array_of([(1, 14, 0, 100, 5), (2, 14, 0, 200, 6)])
    view = array.events
    assert address(view) == address(array.events)  # no copy: the same buffer each time
    assert view.flags.writeable and not view.flags.owndata
    view["value"][1] = -240
    view["path"][0] = 7
    assert array.count(co.Filter(paths=[7])) == 1  # the library's own query sees the write
    array.save(tmp_path / "w.aut")
    assert rows_of(co.EventArray.load(tmp_path / "w.aut")) == [(7, 14, 0, 100, 5), (2, 14, 0, 200, -240)]


def test_view_keeps_its_array_alive():
    view = array_of([(3, 14, 0, 10, 42)]).events
    gc.collect()
    assert int(view["value"][0]) == 42
    assert view["path"].base is not None  # field views chain to the same keeper


def test_work_that_may_move_the_events_waits_for_views_to_go():
    array = array_of([(0, 14, 0, 10, 1)])
    view = array.events
    part = view[:1]
    del view
    for work in (lambda: array.append(20, 0, 14, 0, 2), lambda: array.add_at_time(5, 0, 14, 0, 3),
                 lambda: array.extend(np.zeros(3, co.EVENT_DTYPE)), array.clear,
                 lambda: array.thin(window=6, threshold=0), array.repair):
        with pytest.raises(BufferError, match="1 NumPy view"):
            work()
    array.sort(co.SortMode.PATH_TIME)  # in place: allowed, the view sees it
    array.translate({0: 4})
    assert int(part["path"][0]) == 4
    del part
    array.append(20, 0, 14, 0, 2)
    assert len(array) == 2 and int(array.events["time"][-1]) == 20


def test_add_at_time_keeps_time_order_and_arrival_order_at_equal_times():
    array = co.EventArray()
    assert [array.add_at_time(t, p, 14, 0, v) for t, p, v in [(100, 1, 1), (50, 2, 2), (100, 3, 3), (0, 4, 4)]] == [
        0, 0, 2, 0]
    assert rows_of(array) == [(4, 14, 0, 0, 4), (2, 14, 0, 50, 2), (1, 14, 0, 100, 1), (3, 14, 0, 100, 3)]
    # A time-0 event replaces its channel's time-0 event while a later event exists.
    array.add_at_time(0, 4, 14, 0, 9)
    assert rows_of(array)[0] == (4, 14, 0, 0, 9) and len(array) == 4
    assert array.add_at_time("00:00:01:00", 5, 14, 0, 1, old_value=-3, flags=1) == 4
    assert tuple(array.events[4]) == (100, 5, 14, 0, 1, -3, 1)


def test_sort_modes_order_by_their_keys():
    rows = [(2, 14, 1, 10, 0), (1, 14, 0, 30, 0), (2, 14, 0, 20, 0), (1, 3, 0, 40, 0)]
    expected = {
        co.SortMode.TIME: [10, 20, 30, 40],
        co.SortMode.PATH_CONTROL: [40, 30, 20, 10],
        co.SortMode.PATH_TIME: [30, 40, 10, 20],
    }
    for mode, times in expected.items():
        array = co.EventArray(rows_to_events(rows))
        array.sort(mode)
        assert [int(t) for t in array.events["time"]] == times, mode


def test_between_is_the_half_open_time_range_as_a_view():
    array = array_of([(0, 14, 0, t, t) for t in (0, 100, 100, 200, 300)])
    assert [int(t) for t in array.between(100, 300)["time"]] == [100, 100, 200]
    assert len(array.between(301, 400)) == 0 and len(array.between(300, 100)) == 0
    assert [int(t) for t in array.between("00:00:02:00", "#1000")["time"]] == [200, 300]
    part = array.between(200, 201)
    part["value"] = 7
    assert int(array.events["value"][3]) == 7
    with pytest.raises(BufferError):  # a range's view pins the events as the whole view does
        array.append(400, 0, 14, 0, 0)
    del part
    array.append(400, 0, 14, 0, 0)


def test_an_empty_array_has_an_empty_view_and_grows_from_it():
    array = co.EventArray()
    view = array.events
    assert view.shape == (0,) and view.dtype == co.EVENT_DTYPE and len(array.between(0, 100)) == 0
    del view
    array.extend(np.zeros(0, co.EVENT_DTYPE))
    array.extend(rows_to_events([(1, 14, 0, 5, 1)]))
    assert rows_of(array) == [(1, 14, 0, 5, 1)]
    array.clear()
    assert len(array.events) == 0


def test_bad_events_and_arguments_are_refused_with_what_is_wrong():
    array = co.EventArray()
    with pytest.raises(ValueError, match="proc 256 is outside 0 to 255"):
        array.append(0, 0, 256, 0, 0)
    with pytest.raises(ValueError, match="value 40000"):
        array.add_at_time(0, 0, 14, 0, 40000)
    with pytest.raises(ValueError, match="time: .*25:99"):
        array.append("01:00:25:99", 0, 14, 0, 0)
    with pytest.raises(TypeError, match="EVENT_DTYPE"):
        array.extend(np.zeros(3, np.int64))
    with pytest.raises(ValueError, match="contiguous"):
        array.extend(np.zeros(4, co.EVENT_DTYPE)[::2])
    assert len(array) == 0


def test_files_that_cannot_be_read_raise_naming_the_file(tmp_path):
    missing = tmp_path / "none.aut"
    with pytest.raises(FileNotFoundError) as error:
        co.EventArray.load(missing)
    assert error.value.filename == str(missing)
    garbage = tmp_path / "garbage.aut"
    garbage.write_bytes(b"not a compound file at all" * 40)
    with pytest.raises(co.FileError, match="garbage.aut: not an event-array file or mix") as error:
        co.EventArray.load(garbage)
    assert error.value.filename == str(garbage)
    with pytest.raises(co.FileError, match="could not save"):
        co.EventArray().save(tmp_path / "no-such-folder" / "a.aut")


def test_progress_reports_phases_and_its_errors_come_back(tmp_path):
    co.EventArray(np.zeros(10, co.EVENT_DTYPE)).save(tmp_path / "p.aut")
    seen = []
    co.EventArray.load(tmp_path / "p.aut", progress=lambda phase, percent: seen.append((phase, percent)))
    assert seen and all(phase == "loading" for phase, _ in seen)

    def fail(phase, percent):
        raise KeyError("stop")

    with pytest.raises(KeyError, match="stop"):
        co.EventArray.load(tmp_path / "p.aut", progress=fail)


def test_work_releases_the_gil_and_calls_on_the_busy_array_are_refused():
    array = array_of([(0, 14, 0, t, 0) for t in range(100)])
    refused = []

    # Runs on the hub's thread, with the GIL, while sort holds the array: only possible
    # because sort released the GIL.
    def during_sort(phase, percent):
        try:
            len(array.events)
        except RuntimeError as error:
            refused.append((phase, str(error)))

    array.sort(progress=during_sort)
    assert refused == [("sorting", "another thread is working on this event array; one thread at a time")]
    assert len(array.events) == 100
