"""The line rules of the program's CSV files (the stimulation log, the
measures file): ASCII, the column names first, CR LF after every line.

The program appends whole lines and flushes them trace by trace, so a last
line without its line end is the tail of a write cut off by a crash or a full
disk: it is dropped and the rows before it stand. Any other line without CR LF
is damage.
"""

import os
import re
import stat

INT32 = (-2 ** 31, 2 ** 31 - 1)

# What the writer's shortest round-trip text and any strtod-style decimal look
# like; "inf", "nan", hex and a leading "+" are not numbers in these files.
INTEGER = r"-?[0-9]+"
DECIMAL = r"-?(?:[0-9]+(?:\.[0-9]*)?|\.[0-9]+)(?:[eE][-+]?[0-9]+)?"
is_integer = re.compile(INTEGER, re.ASCII).fullmatch
is_decimal = re.compile(DECIMAL, re.ASCII).fullmatch

# Fields that are certainly sound, for the fast scan of a whole file: at most 9
# digits always fit int32, and a decimal of at most 200 digits before the point
# with a two-digit exponent is always finite. A field outside them is judged by
# the careful check, so these only save time and never decide a problem.
SOUND_INTEGER = r"-?[0-9]{1,9}"
SOUND_DECIMAL = r"-?(?:[0-9]{1,200}(?:\.[0-9]*)?|\.[0-9]+)(?:[eE][-+]?[0-9]{1,2})?"


def split_tail(text):
    """(the text up to its last line end, True when a cut-off tail followed)."""
    end = text.rfind("\n") + 1
    return text[:end], end < len(text)


def split_row(line, columns, field_problem):
    """(the line's field texts, "") or (None, the problem of its first bad
    field); `field_problem(name, text)` is "" for a sound field."""
    fields = line.split(",")
    if len(fields) != len(columns):
        return None, f"{len(fields)} fields ({len(columns)} expected)"
    for name, text in zip(columns, fields):
        problem = field_problem(name, text)
        if problem:
            return None, problem
    return fields, ""


def check_lines(whole, header, header_problem, row):
    """(rows, None, "") of `whole` (text ending in a line end, or empty), each
    row what `row(line)` returns as (fields, ""), or (None, N, why) for the
    first bad line N. `header_problem` is why when line 1 is not `header`."""
    if not whole:
        return None, 1, header_problem
    rows = []
    for number, line in enumerate(whole[:-1].split("\n"), start=1):
        if not line.endswith("\r"):
            return None, number, "no CR LF line end"
        line = line[:-1]
        if number == 1:
            if line != header:
                return None, 1, header_problem
            continue
        fields, problem = row(line)
        if problem:
            return None, number, problem
        rows.append(fields)
    return rows, None, ""


class NotRegularFile(OSError):
    """What stands where a file was expected, in the program's words."""


def _kind(mode):
    if stat.S_ISDIR(mode):
        return "a folder, not a file"
    if stat.S_ISFIFO(mode):
        return "a FIFO, not a file"
    if stat.S_ISCHR(mode) or stat.S_ISBLK(mode):
        return "a device, not a file"
    if stat.S_ISSOCK(mode):
        return "a socket, not a file"
    return "not a regular file"


def read_regular(path):
    """The bytes of the regular file at `path`. Anything else is refused before
    it is opened (a FIFO would wait for a writer forever, a device may act on
    being opened) with NotRegularFile; FileNotFoundError when nothing is there."""
    mode = os.stat(path).st_mode
    if not stat.S_ISREG(mode):
        raise NotRegularFile(_kind(mode))
    # O_NONBLOCK: should a FIFO take the file's place after the check, the
    # open still returns at once and the fstat refuses it.
    fd = os.open(path, os.O_RDONLY | os.O_NONBLOCK | os.O_NOCTTY | os.O_CLOEXEC)
    with os.fdopen(fd, "rb") as f:
        mode = os.fstat(fd).st_mode
        if not stat.S_ISREG(mode):
            raise NotRegularFile(_kind(mode))
        return f.read()
