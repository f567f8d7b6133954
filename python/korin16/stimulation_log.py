"""The stimulation log beside a recording: one CSV row per pulse delivered.

    rows, problem = stimulation_log.read(stimulation_log.path_for("X.pldat"))

`read` checks every line before it keeps any: a log that is damaged anywhere
is ignored as a whole, since rows past a bad line cannot be trusted to belong
where they appear. The problem text names the first bad line in the words
`korin16-cli info` uses. A last line without its line end is the tail of a
write that was cut off: it is dropped, the rows before it stand, and the
result's `cut_tail` says so.
"""

import os
import re

import numpy as np

from . import csv_lines

SUFFIX = "_stimulation.csv"
RECORDING_EXTENSION = ".pldat"

COLUMNS = ("trace", "step", "loop", "trace_start_s", "output", "electrode", "pulse", "onset_ms", "type",
           "duration_ms", "intensity_ua", "played")
HEADER = ",".join(COLUMNS)

# Fields in the file's column order.
DTYPE = np.dtype([
    ("trace", "<i4"),  # 1-based trace of the recording; 1 in a manual file's log
    ("step", "U1"),  # "1", "2", or "M" for a manual stimulation
    ("loop", "<i4"),
    ("trace_start_s", "<f8"),
    ("output", "U2"),  # "S1" or "S2"
    ("electrode", "<i4"),  # 1-16, 0 when the output is routed to none
    ("pulse", "<i4"),  # 1-based index in its program
    ("onset_ms", "<f8"),  # from the trace's first sample
    ("type", "U8"),  # "Biphasic" or "Const"
    ("duration_ms", "<f8"),
    ("intensity_ua", "<f8"),  # as played, sign as programmed
    ("played", "?"),  # False when the device refused that output in that trace
])

OUTPUTS = ("S1", "S2")
_CHOICES = {"step": ("1", "2", "M"), "output": OUTPUTS, "type": ("Biphasic", "Const"), "played": ("0", "1")}
_INTEGERS = {"trace", "loop", "electrode", "pulse"}


def _sound_rows_pattern():
    # Only rows that are certainly sound, each a whole CR LF line. A run in
    # repeat mode logs millions of rows; a log with any other line is judged
    # line by line and field by field.
    fields = []
    for name in COLUMNS:
        if name in _CHOICES:
            fields.append("(" + "|".join(_CHOICES[name]) + ")")
        else:
            fields.append("(" + (csv_lines.SOUND_INTEGER if name in _INTEGERS else csv_lines.SOUND_DECIMAL) + ")")
    return re.compile("^" + ",".join(fields) + "\r$", re.ASCII | re.MULTILINE).findall


_sound_rows = _sound_rows_pattern()


class LogRead(tuple):
    """(rows, problem), as `parse` and `read` have always returned, with
    `cut_tail`: True when a last line without its line end was dropped."""

    def __new__(cls, rows, problem, cut_tail=False):
        read = super().__new__(cls, (rows, problem))
        read.cut_tail = cut_tail
        return read

    rows = property(lambda self: self[0])
    problem = property(lambda self: self[1])


def path_for(recording_path):
    """The log beside a recording: "<stem>.pldat" -> "<stem>_stimulation.csv",
    the suffix appended to a name without the extension."""
    path = os.fspath(recording_path)
    if path.endswith(RECORDING_EXTENSION):
        path = path[:-len(RECORDING_EXTENSION)]
    return path + SUFFIX


def _field_problem(name, text):
    if name in _CHOICES:
        choices = _CHOICES[name]
        return "" if text in choices else f"{name} is not one of {', '.join(choices)}"
    if name in _INTEGERS:
        sound = csv_lines.is_integer(text) and csv_lines.INT32[0] <= int(text) <= csv_lines.INT32[1]
    else:
        sound = csv_lines.is_decimal(text) and np.isfinite(float(text))
    return "" if sound else f"{name} is not a number"


def _row(line):
    return csv_lines.split_row(line, COLUMNS, _field_problem)


def parse(data):
    """LogRead (rows, problem) of a log's bytes: a structured array of DTYPE
    and "", or None and the problem text."""
    # Latin-1 keeps every byte one character, so a stray non-ASCII byte fails
    # the checks instead of the decoding.
    whole, cut_tail = csv_lines.split_tail(data.decode("latin-1"))
    first = HEADER + "\r\n"
    rows = None
    if whole.startswith(first):
        body = whole[len(first):]
        rows = _sound_rows(body)
        if len(rows) != body.count("\n"):
            rows = None  # some line is not certainly sound
    if rows is None:
        rows, line, problem = csv_lines.check_lines(whole, HEADER, "not the log's column names", _row)
        if problem:
            # A cut tail is told only when the rows before it stand, or when
            # it was the column names themselves.
            return LogRead(None, f"line {line}: {problem}; the log is ignored", cut_tail and not whole)
    out = np.empty(len(rows), dtype=DTYPE)
    for name, column in zip(COLUMNS, zip(*rows)):
        if name == "played":
            out[name] = np.array(column) == "1"
        elif name in _INTEGERS:
            out[name] = np.array(column).astype(np.int64)
        else:
            out[name] = np.array(column)  # text columns as they are; decimals read as float() reads them
    return LogRead(out, "", cut_tail)


def read(path):
    """LogRead (rows, problem) of the log at `path`: (None, "") when there is none."""
    try:
        data = csv_lines.read_regular(path)
    except (FileNotFoundError, NotADirectoryError):
        return LogRead(None, "")
    except OSError as e:
        return LogRead(None, f"cannot be read ({os.strerror(e.errno) if e.errno else e}); the log is ignored")
    return parse(data)
