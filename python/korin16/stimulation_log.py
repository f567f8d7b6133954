"""The stimulation log beside a recording: one CSV row per pulse delivered.

    rows, problem = stimulation_log.read(stimulation_log.path_for("X.pldat"))

`read` checks every line before it keeps any: a log that is damaged anywhere
is ignored as a whole, since rows past a bad line cannot be trusted to belong
where they appear. The problem text names the first bad line in the words
`korin16-cli info` uses.
"""

import os
import re

import numpy as np

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
_INT32 = (-2 ** 31, 2 ** 31 - 1)

_INTEGER = r"-?[0-9]+"
# What the writer's shortest round-trip text and any strtod-style decimal look
# like; "inf", "nan", hex and a leading "+" are not numbers in a log.
_DECIMAL = r"-?(?:[0-9]+(?:\.[0-9]*)?|\.[0-9]+)(?:[eE][-+]?[0-9]+)?"
_is_integer = re.compile(_INTEGER, re.ASCII).fullmatch
_is_decimal = re.compile(_DECIMAL, re.ASCII).fullmatch


def _sound_rows_pattern():
    # Only rows that are certainly sound, each a whole CR LF line: at most 9
    # integer digits always fit int32 and a decimal of at most 200 digits
    # before the point with a two-digit exponent is always finite. A log with
    # any other line is judged line by line and field by field, so this
    # pattern only saves time (a run in repeat mode logs millions of rows)
    # and never decides a problem.
    integer = r"(-?[0-9]{1,9})"
    decimal = r"(-?(?:[0-9]{1,200}(?:\.[0-9]*)?|\.[0-9]+)(?:[eE][-+]?[0-9]{1,2})?)"
    fields = []
    for name in COLUMNS:
        if name in _CHOICES:
            fields.append("(" + "|".join(_CHOICES[name]) + ")")
        else:
            fields.append(integer if name in _INTEGERS else decimal)
    return re.compile("^" + ",".join(fields) + "\r$", re.ASCII | re.MULTILINE).findall


_sound_rows = _sound_rows_pattern()


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
        sound = _is_integer(text) and _INT32[0] <= int(text) <= _INT32[1]
    else:
        sound = _is_decimal(text) and np.isfinite(float(text))
    return "" if sound else f"{name} is not a number"


def _row(line):
    """The row's field texts, or (None, the problem of its first bad field)."""
    fields = line.split(",")
    if len(fields) != len(COLUMNS):
        return None, f"{len(fields)} fields ({len(COLUMNS)} expected)"
    for name, text in zip(COLUMNS, fields):
        problem = _field_problem(name, text)
        if problem:
            return None, problem
    return fields, ""


def _lines(text):
    lines = text.split("\n")
    if lines[-1] == "":
        lines.pop()
    return [line[:-1] if line.endswith("\r") else line for line in lines]


def _checked_rows(text):
    """(field texts of every row, "") or (None, the first problem)."""
    lines = _lines(text)
    if not lines or lines[0] != HEADER:
        return None, "line 1: not the log's column names; the log is ignored"
    rows = []
    for number, line in enumerate(lines[1:], start=2):
        fields, problem = _row(line)
        if problem:
            return None, f"line {number}: {problem}; the log is ignored"
        rows.append(fields)
    return rows, ""


def parse(data):
    """(rows, problem) of a log's bytes: a structured array of DTYPE and "",
    or None and the problem text."""
    # Latin-1 keeps every byte one character, so a stray non-ASCII byte fails
    # the checks instead of the decoding.
    text = data.decode("latin-1")
    first = HEADER + "\r\n"
    body = text[len(first):]
    rows = None
    if text.startswith(first) and (body == "" or body.endswith("\n")):
        rows = _sound_rows(body)
        if len(rows) != body.count("\n"):
            rows = None  # some line is not certainly sound
    if rows is None:
        rows, problem = _checked_rows(text)
        if problem:
            return None, problem
    out = np.empty(len(rows), dtype=DTYPE)
    for name, column in zip(COLUMNS, zip(*rows)):
        if name == "played":
            out[name] = np.array(column) == "1"
        elif name in _INTEGERS:
            out[name] = np.array(column).astype(np.int64)
        else:
            out[name] = np.array(column)  # text columns as they are; decimals read as float() reads them
    return out, ""


def read(path):
    """(rows, problem) of the log at `path`: (None, "") when there is none."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except (FileNotFoundError, NotADirectoryError):
        return None, ""
    except OSError as e:
        return None, f"cannot be read ({os.strerror(e.errno) if e.errno else e}); the log is ignored"
    return parse(data)
