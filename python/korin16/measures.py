"""The evoked-response measures file beside a recording, STEM_measures.csv:
one row per measured trace, channel and response.

    rows = korin16.measures.read("20220131_09h05m03s_measures.csv")
    ch5 = rows[(rows["channel"] == 5) & (rows["response"] == 1)]

Slopes are in mV/ms, amplitudes and the baseline in mV, times in ms from the
trace's first sample (time_s: the trace's start in the run); an empty field is
none, NaN here. The program keeps the measures and the intensity in single
precision, so those fields are float32 and hold exactly the values it wrote.

A file damaged anywhere (a wrong header, a wrong field count, a field that is
not a number or out of its range) raises MeasuresError naming the first bad
line. A last line without its line end is the tail of a write cut off while
the file was written: it is dropped with a MeasuresWarning, and the rows
before it stand.
"""

import os
import re
import warnings

import numpy as np

from . import csv_lines

SUFFIX = "_measures.csv"
RECORDING_EXTENSION = ".pldat"
CHANNELS = 16
RESPONSES = 2

COLUMNS = ("trace", "step", "loop", "time_s", "channel", "response", "onset_ms", "intensity_ua", "baseline_mv",
           "amplitude_mv", "latency_ms", "max_slope", "window_slope", "slope_20_80", "ppr_max_slope")
HEADER = ",".join(COLUMNS)

DTYPE = np.dtype([
    ("trace", "<i4"),  # 1-based
    ("step", "<i4"),
    ("loop", "<i4"),
    ("time_s", "<f8"),  # the trace's start in the run
    ("channel", "<i4"),  # 1-16
    ("response", "<i4"),  # 1 or 2: the first or second stimulus of the trace
    ("onset_ms", "<f8"),  # the stimulus's onset from the trace's first sample
    ("intensity_ua", "<f4"),  # the largest in magnitude of the stimulus's pulses, sign as programmed
    ("baseline_mv", "<f4"),
    ("amplitude_mv", "<f4"),  # the most negative baseline-corrected value
    ("latency_ms", "<f4"),  # of the amplitude, from the onset
    ("max_slope", "<f4"),  # the steepest least-squares slope of a short run, mV/ms
    ("window_slope", "<f4"),  # least squares over the fixed slope window
    ("slope_20_80", "<f4"),  # least squares over the fall from 20 % to 80 % of the amplitude
    ("ppr_max_slope", "<f4"),  # on a second response's row: its max slope over the first's
])

_INTEGERS = ("trace", "step", "loop", "channel", "response")
_RANGES = {"channel": (1, CHANNELS), "response": (1, RESPONSES)}
_RANGE_TEXT = {"channel": "1-16", "response": "1, 2"}
# Lines of certainly sound rows are converted in pieces of about this many
# characters, so a two-day run's file never needs several copies of itself.
_PIECE_CHARS = 1 << 22


class MeasuresError(ValueError):
    """A measures file that cannot be read; `line` is its first bad line
    (1-based), `reason` what is wrong with it."""

    def __init__(self, line, reason, path=None):
        where = f"{path}: " if path is not None else ""
        super().__init__(f"{where}line {line}: {reason}")
        self.path = path
        self.line = line
        self.reason = reason


class MeasuresWarning(UserWarning):
    """A measures file whose cut-off last line was dropped."""


def path_for(recording_path):
    """The measures file beside a recording: "<stem>.pldat" ->
    "<stem>_measures.csv", the suffix appended to a name without the extension."""
    path = os.fspath(recording_path)
    if path.endswith(RECORDING_EXTENSION):
        path = path[:-len(RECORDING_EXTENSION)]
    return path + SUFFIX


def _sound_lines_pattern():
    fields = [csv_lines.SOUND_INTEGER if name in _INTEGERS else f"(?:{csv_lines.SOUND_DECIMAL})?"
              for name in COLUMNS]
    for name, (low, high) in _RANGES.items():
        fields[COLUMNS.index(name)] = "|".join(map(str, range(low, high + 1)))
    return re.compile("^" + ",".join(f"(?:{f})" for f in fields) + "\r$", re.ASCII | re.MULTILINE)


_sound_lines = _sound_lines_pattern()


def _filled(lines):
    """Sound lines with "nan" in every empty field (never the first)."""
    # One pass turns ",,," into ",nan,,": a second fills what the first left.
    return lines.replace(",,", ",nan,").replace(",,", ",nan,").replace(",\r", ",nan\r")


def _field_problem(name, text):
    if name in _INTEGERS:
        low, high = _RANGES.get(name, csv_lines.INT32)
        if not csv_lines.is_integer(text):
            return f"{name} is not a number"
        if not low <= int(text) <= high:
            return f"{name} is not one of {_RANGE_TEXT[name]}" if name in _RANGES else f"{name} is not a number"
        return ""
    if text == "" or (csv_lines.is_decimal(text) and np.isfinite(float(text))):
        return ""
    return f"{name} is not a number"


def _row(line):
    return csv_lines.split_row(line, COLUMNS, _field_problem)


def _sound_values(body):
    """The rows of `body` (whole CR LF lines) as float64, rows x columns, or
    None when some line is not certainly sound."""
    lines = body.count("\n")
    values = np.empty((lines, len(COLUMNS)), dtype=np.float64)
    done = start = 0
    while start < len(body):
        end = body.find("\n", min(start + _PIECE_CHARS, len(body) - 1)) + 1
        piece = body[start:end]
        count = piece.count("\n")
        if len(_sound_lines.findall(piece)) != count:
            return None
        # Every field is now a plain decimal or empty, so the C parser reads
        # them all; integers of at most 9 digits are exact in a double.
        flat = _filled(piece).replace("\r\n", ",")
        parsed = np.fromstring(flat, dtype=np.float64, sep=",")
        values[done:done + count] = parsed.reshape(count, len(COLUMNS))
        done += count
        start = end
    return values


def parse(data, path=None):
    """(rows, cut_tail) of a measures file's bytes: a structured array of
    DTYPE and True when a cut-off last line was dropped. MeasuresError (a
    ValueError) when the file is damaged; `path` is named in its message."""
    # Latin-1 keeps every byte one character, so a stray non-ASCII byte fails
    # the checks instead of the decoding.
    whole, cut_tail = csv_lines.split_tail(data.decode("latin-1"))
    first = HEADER + "\r\n"
    values = _sound_values(whole[len(first):]) if whole.startswith(first) else None
    if values is not None:
        out = np.empty(len(values), dtype=DTYPE)
        for i, name in enumerate(COLUMNS):
            out[name] = values[:, i]
        return out, cut_tail
    rows, line, problem = csv_lines.check_lines(whole, HEADER, "not the measures file's column names", _row)
    if problem:
        raise MeasuresError(line, problem, path)
    out = np.empty(len(rows), dtype=DTYPE)
    for name, column in zip(COLUMNS, zip(*rows)):
        if name in _INTEGERS:
            out[name] = [int(text) for text in column]
        else:
            out[name] = [float(text) if text else np.nan for text in column]
    return out, cut_tail


def read(path):
    """The rows of the measures file at `path` (see parse). OSError when it
    cannot be read; a dropped cut-off last line warns (MeasuresWarning)."""
    path = os.fspath(path)
    data = csv_lines.read_regular(path)
    rows, cut_tail = parse(data, path)
    if cut_tail:
        warnings.warn(MeasuresWarning(f"{path}: the last line has no line end (a write cut off); it is dropped"),
                      stacklevel=2)
    return rows
