"""Timecode and value text under the default settings: console type 3 (hundredths of a
second), 24 frames per second."""

import pytest

import commonobjects as co


def test_timecode_round_trips_every_frame_and_reads_every_form():
    for frame in range(0, 24 * 3 + 5):
        text = f"01:00:{frame // 24:02d}:{frame % 24:02d}"
        units = co.to_units(text)
        assert co.to_timecode(units) == text[:8] + " " + text[9:]
        assert co.to_timecode(units + 1) == co.to_timecode(units)  # inside a frame: that frame
    assert co.to_units("01:00:00:00") == 360000
    assert {co.to_units(t) for t in ("01:00:10:00", "01:00:10 00", "01;00;10;00", "01.00.10.00")} == {361000}
    assert co.to_units("#4000") == 4000 and co.to_units("-00:00:01:00") == -100
    assert co.to_units("120+08") == co.to_units("00120.08") == round((120 * 16 + 8) * 100 / 24)


@pytest.mark.parametrize("text, why", [
    ("bogus", "not a timecode"),
    ("4000", "write units as #4000"),
    ("01:00:25:99", "frames must be 0 to 23"),
    ("01:61:00:00", "minutes"),
    ("#99999999999", "units must be a whole number"),
])
def test_text_that_is_no_time_says_what_is_wrong(text, why):
    with pytest.raises(ValueError, match=why):
        co.to_units(text)


def test_values_show_and_read_back_as_the_hosts_do():
    assert co.control_name(14, 0) == "Fader Level" and co.control_name(200, 9) == "Unknown Event"
    assert co.value_text(14, 0, -240) == "-3.0dB" and co.value_text(14, 0, -240, units=False) == "-3.0"
    for value in (-8192, -2400, -240, 0, 80):
        assert co.value_from_text(14, 0, co.value_text(14, 0, value)) == value
    assert co.value_text(0, 1, 1) == "RØA"  # Windows-1252 0xD8, as UTF-8


def test_values_that_cannot_be_read_from_text_raise():
    with pytest.raises(co.ValueTextNotSupported, match="Proc 0 Control 1") as error:
        co.value_from_text(0, 1, "RØA")
    assert (error.value.proc, error.value.control) == (0, 1)
    assert isinstance(error.value, ValueError)
    with pytest.raises(ValueError, match="Windows-1252 cannot hold"):
        co.value_from_text(14, 0, "\u22123 dB")
    with pytest.raises(ValueError, match="0 to 255"):
        co.control_name(256, 0)
