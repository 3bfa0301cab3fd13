"""Mix: loading and saving either form, what a failed load or save says, and the mix's
identity."""

import numpy as np
import pytest

import commonobjects as co
from conftest import rows_to_events

ROWS = [(1, 14, 0, 100, -240), (2, 14, 1, 150, 12), (1999, 36, 3, 2**31 - 1, 1)]


def new_mix(rows=ROWS):
    mix = co.Mix()
    mix.extend(rows_to_events(rows))
    return mix


@pytest.mark.parametrize("compressed", [False, True])
def test_a_mix_round_trips_in_either_form(tmp_path, compressed):
    path = tmp_path / "m.mix"
    new_mix().save(path, compressed=compressed)
    mix = co.Mix.load(path)
    assert np.array_equal(mix.events, rows_to_events(ROWS))
    assert (mix.compressed, mix.file_name, mix.console_type, mix.frame_rate) == (compressed, str(path), 3, 24)
    assert mix.load_report["opened"] and mix.load_report["events_loaded"] and not mix.load_report["unreadable"]
    # Saved again where it came from, in the form it came in, with what was changed.
    view = mix.events
    view["value"][0] = 80
    del view
    mix.add_at_time(50, 3, 14, 0, 1)
    mix.save()
    again = co.Mix.load(path)
    assert again.compressed == compressed and len(again) == 4
    assert int(again.events["value"][1]) == 80 and int(again.events["time"][0]) == 50


def test_saving_into_the_other_form_replaces_the_file(tmp_path):
    path = tmp_path / "m.mix"
    new_mix().save(path, compressed=True)
    mix = co.Mix.load(path)
    mix.save(compressed=False)
    assert not co.Mix.load(path).compressed and not mix.compressed
    mix.save()  # in the form last saved
    assert not co.Mix.load(path).compressed
    other = tmp_path / "copy.mix"
    mix.save(other)
    assert mix.file_name == str(other) and len(co.Mix.load(other)) == len(ROWS)


def test_loads_that_fail_name_the_file_and_the_problem(tmp_path):
    with pytest.raises(FileNotFoundError) as error:
        co.Mix.load(tmp_path / "none.mix")
    assert error.value.filename == str(tmp_path / "none.mix")
    co.EventArray(rows_to_events(ROWS)).save(tmp_path / "events.aut")
    with pytest.raises(co.FileError, match="events.aut: an event-array file .* EventArray.load reads it"):
        co.Mix.load(tmp_path / "events.aut")
    (tmp_path / "text.mix").write_text("AUTXFILE but nothing after")
    with pytest.raises(co.FileError, match="text.mix: it does not open as a compressed mix"):
        co.Mix.load(tmp_path / "text.mix")
    # A mix is an event array too: EventArray.load reads its events.
    new_mix().save(tmp_path / "m.mix", compressed=False)
    assert len(co.EventArray.load(tmp_path / "m.mix")) == len(ROWS)


def test_saves_that_fail_leave_the_file_and_the_name_as_they_were(tmp_path):
    with pytest.raises(ValueError, match="no file yet"):
        co.Mix().save()
    path = tmp_path / "m.mix"
    mix = new_mix()
    mix.save(path, compressed=True)
    before = path.read_bytes()
    with pytest.raises(co.FileError, match="the file is as it was"):
        mix.save(tmp_path / "missing-folder" / "m.mix")
    assert mix.file_name == str(path) and path.read_bytes() == before


def test_windows_names_live_under_the_windows_drive(tmp_path, monkeypatch):
    monkeypatch.setenv("COMMONOBJECTS_ROOT", str(tmp_path))
    (tmp_path / "Mixes").mkdir()
    new_mix().save("C:\\Mixes\\a.mix")
    assert (tmp_path / "Mixes" / "a.mix").exists()
    assert len(co.Mix.load("C:\\Mixes\\a.mix")) == len(ROWS)
