"""The commonobjects library from Python: mixes, events as NumPy data, edits, edit lists and conform.

    import commonobjects as co
    mix = co.Mix.load("reel1.mix")
    ev = mix.events                      # NumPy view of the library's events, no copy
    faders = (ev["proc"] == 14) & (ev["control"] == 0) & (ev["path"] < 8)
    ev["value"][faders] -= 240           # 3 dB down (0.0125 dB a step)
    del ev                               # views pin the events' memory; drop them before edits
    status, report = co.conform(mix, "recut.edl")
    print(report)

Times are automation units (int) or text ("01:00:10:00", "120+08", "#4000") read under the
registry's timecode settings. The console (type, max paths mode) and the timecode settings
come from the registry named by COMMONOBJECTS_REGISTRY; Windows paths ("C:\\Mixes\\a.mix")
live under the folder named by COMMONOBJECTS_ROOT.
"""

from __future__ import annotations

import dataclasses
import os
from typing import Callable, Iterable, NamedTuple, Optional, Union

from . import _commonobjects
from ._commonobjects import (
    EVENT_DTYPE,
    ConformError,
    ConformStatus,
    Error,
    EventArray,
    FileError,
    Filter,
    Mix,
    RampDirection,
    SortMode,
    ValueTextNotSupported,
    console_type,
    control_name,
    to_timecode,
    to_units,
    value_from_text,
    value_text,
)

__all__ = [
    "EVENT_DTYPE", "ConformError", "ConformReport", "ConformResult", "ConformStatus", "CutListChange",
    "EdlEvent", "Error", "EventArray", "FileError", "Filter", "Mix", "RampDirection", "SortMode",
    "SourceMix", "Stretch", "ValueTextNotSupported", "conform", "console_type", "control_name",
    "read_cutlist", "read_edl", "recut_copy", "recut_delete", "recut_move", "to_timecode", "to_units",
    "value_from_text", "value_text",
]

Time = Union[int, str]
Progress = Optional[Callable[[str, Optional[int]], None]]
PathName = Union[str, "os.PathLike[str]"]


@dataclasses.dataclass(frozen=True)
class EdlEvent:
    """One event line (or binary record) of an edit decision list, as conform reads it.

    Times of a text line are its timecodes as written; of a binary record, the timecode of its
    units. source_start, dest_start and length are automation units, None where the line
    places no edit (`result` says why).
    """

    number: Optional[int]
    result: str
    yields_edit: bool
    reel: str
    video: bool
    tracks: tuple[int, ...]
    transition: str
    source_in: Optional[str]
    record_in: Optional[str]
    record_out: Optional[str]
    source_start: Optional[int]
    dest_start: Optional[int]
    length: Optional[int]


@dataclasses.dataclass(frozen=True)
class CutListChange:
    """One change of a picture change list: its kind, position and length in frames (and in
    automation units as conform places them), the change an insert takes its material from."""

    number: int
    kind: str
    position: int
    length: int
    position_units: int
    length_units: int
    source_change: Optional[int]
    name: str
    extra: int


@dataclasses.dataclass(frozen=True)
class Stretch:
    """A stretch of the picture: kept, removed, moved or inserted. Units; None where the
    stretch has no old place (inserted) or no new one (removed)."""

    kind: str
    old_start: Optional[int]
    new_start: Optional[int]
    length: int
    reel: Optional[int]


@dataclasses.dataclass(frozen=True)
class SourceMix:
    """A mix the conform took material from; `own` for the mix's own file."""

    name: str
    own: bool


@dataclasses.dataclass(frozen=True)
class ConformReport:
    """What a conform or recut did, as mixauto reports it; str() gives the report's text."""

    title: str
    path_note: str
    status: ConformStatus
    events_before: int
    events_after: int
    stretches: tuple[Stretch, ...]
    sources: tuple[SourceMix, ...]
    text: str

    def __str__(self) -> str:
        return self.text


class ConformResult(NamedTuple):
    """The status of a conform and its report (None when the conform failed)."""

    status: ConformStatus
    report: Optional[ConformReport]


def read_edl(path: PathName, format: str = "QRX") -> list[EdlEvent]:
    """Every event line of the edit decision list at `path` (a text EDL in the dialect
    `format` decides, or the binary form), as conform reads it.

    Raises FileNotFoundError or FileError when it cannot be read, ValueError for an unknown
    format (GENERIC, QRX, CMX340, CMX3400, SONY_BVE9000, GVG, AVID)."""
    return [EdlEvent(**event) for event in _commonobjects._read_edl(path, format)]


def read_cutlist(path: PathName) -> list[CutListChange]:
    """The changes of the picture change list at `path` (either text layout, or the binary
    form), in list order. Raises FileNotFoundError or FileError when none can be read."""
    return [CutListChange(**change) for change in _commonobjects._read_cutlist(path)]


def _result(outcome: dict) -> ConformResult:
    if "failure" in outcome:
        return ConformResult(outcome["status"], None)
    stretches = tuple(Stretch(**s) for s in outcome.pop("stretches"))
    sources = tuple(SourceMix(**s) for s in outcome.pop("sources"))
    report = ConformReport(stretches=stretches, sources=sources, **outcome)
    return ConformResult(report.status, report)


def conform(mix: Mix, list_path: PathName, *, paths: Optional[Iterable[int]] = None, check: bool = True,
            progress: Progress = None) -> ConformResult:
    """Conforms `mix` to the edit decision list or change list at `list_path` (told by its
    name: ".cut" a change list, ".txt" or no extension a text change list whose inserts take
    the moves they name, any other extension an edit list). Only `paths` (default: every path)
    are conformed; the others' automation is dropped, as on the console. The mix's file is not
    written: save it after. Source mixes are "<reel>.aut" (relative to the working folder), or
    the mix's own file for its own reel or a list that names none.

    Returns (status, report). A failed conform raises ConformError with the status and what to
    do; with check=False it returns (status, None) instead and the mix's events are as they
    were. The GIL is released while it runs; progress: callback(phase, percent) or None."""
    selected = None if paths is None else [int(p) for p in paths]
    return _result(_commonobjects._conform(mix, list_path, selected, check, progress))


def recut_copy(mix: Mix, start: Time, end: Time, at: Time, *, check: bool = True,
               progress: Progress = None) -> ConformResult:
    """The console's conform by hand: writes the stretch [start, end) over the same length at
    `at`; everything else stays in place. Every path is conformed. As conform otherwise."""
    return _result(_commonobjects._recut_copy(mix, start, end, at, check, progress))


def recut_move(mix: Mix, start: Time, end: Time, at: Time, *, check: bool = True,
               progress: Progress = None) -> ConformResult:
    """Takes the stretch [start, end) out (a blank remains) and writes it at `at` when that is
    at or before start, else at at + end, as the console places a later move."""
    return _result(_commonobjects._recut_move(mix, start, end, at, check, progress))


def recut_delete(mix: Mix, start: Time, end: Time, *, check: bool = True,
                 progress: Progress = None) -> ConformResult:
    """Empties the stretch [start, end) (a blank remains); everything else stays in place."""
    return _result(_commonobjects._recut_delete(mix, start, end, check, progress))
