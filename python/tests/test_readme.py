"""The README's Python script runs as written and does what it says."""

import re
from pathlib import Path

import numpy as np

import commonobjects as co

README = Path(__file__).resolve().parents[2] / "README.md"


def test_the_readme_script_lowers_the_faders_in_its_range_and_conforms(tmp_path, monkeypatch, capsys):
    section = README.read_text().split("## Python\n", 1)[1]
    script = re.search(r"```python\n(.*?)```", section, re.S).group(1)
    mix = co.Mix()
    for second in range(5, 30, 5):  # 01:00:05 to 01:00:25, paths 6 to 9: fader and trim
        for path in range(6, 10):
            for control in (0, 1):
                mix.append(co.to_units(f"01:00:{second:02d}:00"), path, 14, control, -400)
    monkeypatch.chdir(tmp_path)
    mix.save("reel1.mix", compressed=True)
    Path("recut.edl").write_text("001  AX  V  C  01:00:00:00 01:00:30:00 01:00:00:00 01:00:30:00\n")

    exec(compile(script, str(README), "exec"), {})

    saved = co.Mix.load("reel1.mix").events
    lowered = (saved["path"] <= 7) & (saved["control"] == 0) & (saved["time"] >= co.to_units("01:00:10:00")) \
        & (saved["time"] < co.to_units("01:00:20:00"))
    assert lowered.sum() == 4 and np.all(saved["value"][lowered] == -640)
    assert np.all(saved["value"][~lowered] == -400)
    assert "Status 0: conform done" in capsys.readouterr().out
    assert co.Mix.load("reel1-recut.mix").compressed
