"""The line rules of the program's CSV files (the stimulation log, the
measures file): ASCII, the column names first, CR LF after every line.

The program appends whole lines and flushes them trace by trace, so a last
line without its line end is the tail of a write cut off by a crash or a full
disk: it is dropped and the rows before it stand. Any other line without CR LF
is damage.
"""

import re

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
