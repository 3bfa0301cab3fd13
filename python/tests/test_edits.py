"""Queries and the channel edits, on the cases of the library's own tests (tests/editing):
the same events in, the same events out."""

import numpy as np
import pytest

import commonobjects as co
from conftest import array_of, channel, rows_of, rows_to_events

BEFORE, AFTER = co.RampDirection.BEFORE, co.RampDirection.AFTER


def recorded(rows, high_base):
    """A mix with its old values as recorded (CopyChannelDataTest's Mix)."""
    array = array_of(rows)
    array.set_old_values(high_base=high_base)
    return array


def test_filters_are_edited_through_their_properties_and_check_them():
    f = co.Filter()
    assert (f.paths, f.controls, f.start, f.end) == ([], [], None, None)
    f.paths, f.controls, f.start, f.end = [3, 1], [(14, 2)], "00:00:01:00", 500
    assert (f.paths, f.controls, f.start, f.end) == ([3, 1], [(14, 2)], 100, 500)
    f.end = None
    assert f.end is None
    with pytest.raises(ValueError, match="path -1"):
        f.paths = [-1]
    with pytest.raises(ValueError, match=r"\(14, 300\) is not a \(proc, control\) pair"):
        co.Filter(controls=[(14, 300)])


def test_filters_select_by_paths_controls_and_inclusive_times():
    array = array_of([(1, 14, 0, 100, 0), (2, 14, 0, 200, 0), (1, 14, 2, 300, 0), (1, 14, 0, 400, 0)])
    f = co.Filter(paths=[1], controls=[(14, 0)], start=100, end="00:00:04:00")
    assert repr(f) == "Filter(paths=[1], controls=[(14, 0)], start=100, end=400)"
    assert array.count(f) == 2 and list(array.indices(f)) == [0, 3]
    assert array.count() == 4 and array.count(co.Filter(start=101, end=300)) == 2
    picked = array.select(co.Filter(controls=[(14, 2)]))
    assert isinstance(picked, co.EventArray) and rows_of(picked) == [(1, 14, 2, 300, 0)]
    assert f.end == 400  # a query leaves the caller's filter as it was
    ev = array.events
    assert np.array_equal(ev[array.indices(f)], ev[[0, 3]])


def test_copy_ramps_slot_aligned_edges_and_steps_elsewhere():
    # CopyChannelDataTest.EdgesRampOnSlotAlignedControlsAndStepElsewhere
    a = recorded([(0, 14, 0, 100, 50), (0, 14, 0, 240, -1000), (0, 14, 2, 100, 5), (0, 14, 2, 240, 3),
                  (4, 14, 0, 900, 100), (4, 14, 0, 1050, 200), (4, 14, 2, 900, 7), (4, 14, 2, 1050, 9),
                  (4, 14, 2, 2000, 11), (4, 14, 1, 1050, 33), (8, 14, 0, 1050, 66), (5, 14, 1, 2000, 1),
                  (4, 14, 2, 2000, 12)], 40)
    a.copy(source_path=0, to_paths=[4], start=200, end=300, at=1000, controls=[(14, 0), (14, 2)],
           ramp_length=40, ramp_step=1, start_direction=BEFORE, end_direction=AFTER, high_base=40)
    assert channel(a, 4, 14, 0) == [
        (900, 100), (964, 95), (968, 90), (972, 85), (976, 80), (980, 75), (984, 70), (988, 65), (992, 60),
        (1040, -1000), (1104, -880), (1108, -760), (1112, -640), (1116, -520), (1120, -400), (1124, -280),
        (1128, -160), (1132, -40), (1144, 200)]
    assert channel(a, 4, 14, 2) == [(900, 7), (1000, 5), (1040, 3), (1100, 9), (2000, 12)]
    assert channel(a, 4, 14, 1) == [(1050, 33)] and channel(a, 8, 14, 0) == [(1050, 66)]
    assert channel(a, 0, 14, 0) == [(100, 50), (240, -1000)]
    assert np.all(np.diff(a.events["time"]) >= 0)


def test_merge_pastes_another_arrays_path_beside_the_destinations_own_events():
    # CopyChannelDataTest.MergeStepsSameSourceAndNotifications, as one step of one
    source = recorded([(0, 14, 0, 240, -1000)], 40)
    a = recorded([(0, 14, 0, 60, 1), (4, 14, 0, 900, 100), (4, 14, 0, 1050, 200), (8, 14, 1, 20, 3)], 40)
    a.merge(source, source_path=0, to_paths=[4, 8], start=200, end=300, at=1000, same_source=True,
            controls=[(14, 0), (14, 2)], ramp_length=40, high_base=40)
    assert channel(a, 4, 14, 0) == [(900, 100), (1040, -1000), (1050, 200)]
    assert channel(a, 8, 14, 0) == [(1040, -1000)] and channel(a, 8, 14, 1) == [(20, 3)]
    with pytest.raises(ValueError, match="another array"):
        a.merge(a, source_path=0, to_paths=[4], start=200, end=300)


def test_isolate_moves_the_state_at_start_then_the_moves_up_to_end():
    # IsolateChannelDataTest.StateAtStartGoesToTheDestinationThenTheMovesUpToEndTime
    a = array_of([(5, 14, 0, 20, 100), (5, 14, 2, 50, 0), (6, 14, 0, 60, 9), (5, 14, 0, 100, 200),
                  (5, 14, 0, 200, 300), (5, 14, 4, 300, 7), (5, 14, 0, 350, 400), (6, 14, 0, 400, 7)])
    a.isolate(paths=[5], start=50, end=300, at=1000, high_base=64)
    assert rows_of(a) == [(5, 14, 2, 1000, 0), (5, 14, 0, 1003, 100), (5, 14, 0, 1050, 200),
                          (5, 14, 0, 1150, 300), (5, 14, 4, 1250, 7)]


def test_erase_restores_the_values_just_after_the_range():
    # EraseChannelDataTest.RestoresTheSelectedValuesJustAfterTheRangeWhenEventsFollow
    a = recorded([(5, 14, 0, 0, -100), (5, 14, 2, 10, 0), (5, 14, 0, 40, 300), (5, 14, 1, 100, 4),
                  (5, 14, 0, 120, 500), (5, 14, 2, 150, 1), (6, 14, 1, 200, 9), (5, 14, 4, 300, 6),
                  (6, 14, 0, 301, 8), (6, 14, 1, 500, 11)], 64)
    a.erase(paths=[5], start=100, end=300, high_base=64)
    assert rows_of(a) == [(5, 14, 0, 0, -100), (5, 14, 2, 10, 0), (5, 14, 0, 40, 300), (6, 14, 1, 200, 9),
                          (5, 14, 2, 301, 1), (5, 14, 4, 301, 6), (5, 14, 0, 303, 500), (5, 14, 1, 303, 4),
                          (6, 14, 0, 304, 8), (6, 14, 1, 500, 11)]


def test_ranged_erase_of_the_fader_group_leaves_other_controls():
    a = recorded([(0, 14, 0, 40, 100), (0, 14, 0, 200, 300), (0, 14, 2, 200, 1), (0, 14, 0, 400, 500)], 64)
    a.erase(paths=[0], start=100, end=300, ramp_length=0, groups="fader", high_base=64)
    assert channel(a, 0, 14, 2) == [(200, 1)]
    assert (200, 300) not in channel(a, 0, 14, 0) and channel(a, 0, 14, 0)[-1] == (400, 500)


def test_thin_keeps_one_in_nine_of_a_slow_fader_rise():
    # ThinningTest.FaderThresholdKeepsOneInNineOfARiseOfOneUnitPerEvent
    for window, threshold in ((0, 8), ("no change", "8 (0.1 DB)")):  # by number or name, any case
        a = array_of([(0, 14, 0, t, t - 1) for t in range(1, 31)])
        assert a.thin(window=window, threshold=threshold, end=30, paths=[0], high_base=40) == 24
        assert [int(t) for t in a.events["time"]] == [1, 10, 19, 28, 29, 30]
    with pytest.raises(ValueError, match="window is 0 to 6"):
        a.thin(window=7, threshold=0)
    with pytest.raises(ValueError, match="not a level name"):
        a.thin(window="gentle-ish", threshold=0)


def test_translate_repair_and_old_values_work_in_place():
    a = co.EventArray(rows_to_events([(1, 14, 0, 10, 5), (2, 14, 0, 20, 6), (1, 14, 0, 30, 7)]))
    a.translate([(1, 2), (2, 3)])  # pairs do not chain
    assert [int(p) for p in a.events["path"]] == [2, 3, 2]
    a.set_old_values()
    assert [int(v) for v in a.events["old_value"]] == [-8192, -8192, 5]  # the fader's default, then 5
    assert a.repair() is False
    b = co.EventArray(rows_to_events([(1, 14, 0, 30, 1), (1, 14, 0, 10, 2), (1, 14, 0, 10, 2)]))
    assert b.repair() is True
    assert rows_of(b) == [(1, 14, 0, 10, 2), (1, 14, 0, 30, 1)]


@pytest.mark.parametrize("edit, why", [
    (lambda a: a.copy(source_path=0, to_paths=[1], start=300, end=300), "end must be later than start"),
    (lambda a: a.isolate(paths=[5000], start=0, end=10), "path 5000 is outside 0 to 1999"),
    (lambda a: a.erase(paths=[0], start=0, end=10, controls=[(14, 0)], groups="fader"), "not both"),
    (lambda a: a.erase(paths=[0], start=0, end=10, groups="faders"), "groups: "),
    (lambda a: a.copy(source_path=0, to_paths=[1], start=0, end=10, ramp_length=40000), "ramp_length"),
    (lambda a: a.copy(source_path=0, to_paths=[1], start=0, end=10, at=2**31 - 5), "past the last time"),
    (lambda a: a.set_old_values(high_base=20), "36 to 255"),
])
def test_bad_edit_arguments_raise_and_change_nothing(edit, why):
    a = array_of([(0, 14, 0, 5, 1)])
    with pytest.raises(ValueError, match=why):
        edit(a)
    assert rows_of(a) == [(0, 14, 0, 5, 1)]
