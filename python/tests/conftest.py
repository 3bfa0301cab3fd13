"""What the tests share: a console of the defaults, a Windows drive of their own, and events
written as rows."""

import os
import tempfile

# Before the module reads them: the console and timecode settings are the defaults (type 3,
# 24 frames per second) unless the run names a registry file, and "C:\..." lives in scratch.
_scratch = tempfile.mkdtemp(prefix="commonobjects-pytest-")
os.environ.setdefault("COMMONOBJECTS_REGISTRY", os.path.join(_scratch, "no-registry.reg"))
os.environ.setdefault("COMMONOBJECTS_ROOT", os.path.join(_scratch, "windows-drive"))

import numpy as np  # noqa: E402

import commonobjects as co  # noqa: E402


def rows_to_events(rows):
    """Events of (path, proc, control, time, value) rows, as the C++ tests write them."""
    events = np.zeros(len(rows), co.EVENT_DTYPE)
    for i, (path, proc, control, time, value) in enumerate(rows):
        events[i] = (time, path, proc, control, value, 0, 0)
    return events


def array_of(rows):
    """An EventArray built as the C++ tests build theirs: each row added at its time."""
    array = co.EventArray()
    for path, proc, control, time, value in rows:
        array.add_at_time(time, path, proc, control, value)
    return array


def rows_of(array):
    ev = array.events
    return [tuple(int(x) for x in (e["path"], e["proc"], e["control"], e["time"], e["value"])) for e in ev]


def channel(array, path, proc, control):
    """(time, value) of one channel's events, in array order."""
    ev = array.events
    mask = (ev["path"] == path) & (ev["proc"] == proc) & (ev["control"] == control)
    return [(int(t), int(v)) for t, v in zip(ev["time"][mask], ev["value"][mask])]
