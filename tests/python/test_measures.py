import math

import numpy as np
import pytest

from conftest import MEASURES_HEADER, measure_line, write_measures
from korin16 import measures

N = None
# Two channels, one response a trace; single-precision values that are not
# exact decimals, and none where the 20-80 % slope was too shallow.
ONE_RESPONSE = [
    (1, 0, 1, 0.0, 5, 1, 10.0, -60.0, 0.0123, -0.8125, 4.35, -0.4173, -0.39, -0.3512, N),
    (1, 0, 1, 0.0, 6, 1, 10.0, -60.0, -0.002, -0.05, 12.1, -0.0311, -0.02, N, N),
    (2, 0, 1, 20.000000001, 5, 1, 10.05, -60.0, 1e-05, -1.5e-07, 1.0, -123456.7, 86400.0, -1e+20, N),
    (2, 0, 1, 20.000000001, 6, 1, 10.05, -60.0, N, N, N, N, N, N, N),
]
# Paired pulses 50 ms apart on steps 0 and 1, the ratio on the second row.
PAIRED = [
    (1, 0, 1, 0.0, 1, 1, 10.0, 40.0, 0.01, -0.9, 4.0, -0.5, -0.45, -0.4, N),
    (1, 0, 1, 0.0, 1, 2, 60.0, 40.0, 0.02, -0.6, 4.1, -0.35, -0.3, -0.28, 0.7),
    (2, 1, 1, 5.5, 16, 1, 10.0, -80.0, 0.0, -1.0, 3.95, -0.25, -0.2, -0.2, N),
    (2, 1, 1, 5.5, 16, 2, 60.0, -80.0, 0.0, -0.8, 4.0, -0.2, -0.15, -0.19, 0.8),
]


def expected(rows):
    return np.array([tuple(math.nan if v is None else v for v in row) for row in rows], dtype=measures.DTYPE)


@pytest.mark.parametrize("rows", [ONE_RESPONSE, PAIRED, []], ids=["one response", "paired", "header only"])
def test_read_gives_the_values_written(tmp_path, rows):
    got = measures.read(write_measures(tmp_path / "m_measures.csv", rows))
    assert got.dtype.names == measures.COLUMNS
    # Bit for bit: the single-precision fields hold the program's floats, none is NaN.
    assert got.tobytes() == expected(rows).tobytes()


@pytest.mark.parametrize("text, value", [
    ("0.05", 0.05), ("-12.5", -12.5), ("1.", 1.0), (".5", 0.5), ("-0", -0.0), ("2.5E+002", 250.0),
    ("1e-0005", 1e-05), ("", math.nan),
    ("0.1000000000000000055511151231257827", 0.1),  # more digits than a double holds
])
def test_a_field_reads_as_the_number_it_names(tmp_path, text, value):
    row = measure_line(ONE_RESPONSE[0]).split(",")
    row[6] = text  # onset_ms, a double
    got = measures.read(write_measures(tmp_path / "m_measures.csv", lines=[MEASURES_HEADER, ",".join(row)]))
    assert np.array_equal(got["onset_ms"], [value], equal_nan=True)
    assert np.signbit(got["onset_ms"][0]) == np.signbit(value)


def test_an_integer_with_leading_zeros_reads_as_its_value(tmp_path):
    row = measure_line(ONE_RESPONSE[0]).split(",")
    row[0], row[4] = "0000000000003", "05"
    got = measures.read(write_measures(tmp_path / "m_measures.csv", lines=[MEASURES_HEADER, ",".join(row)]))
    assert got[["trace", "channel"]].tolist() == [(3, 5)]


SOUND = measure_line(ONE_RESPONSE[0])


def with_field(index, text):
    fields = SOUND.split(",")
    fields[index] = text
    return ",".join(fields)


# The lines of a damaged file and its first bad line with what is wrong there.
DAMAGE = {
    "other column names": ([MEASURES_HEADER.replace("max_slope", "slope")], 1, "not the measures file's column names"),
    "no line at all": ([], 1, "not the measures file's column names"),
    "a field missing": ([MEASURES_HEADER, SOUND, SOUND.rsplit(",", 1)[0]], 3, "14 fields (15 expected)"),
    "a field too many": ([MEASURES_HEADER, SOUND + ","], 2, "16 fields (15 expected)"),
    "an empty line": ([MEASURES_HEADER, "", SOUND], 2, "1 fields (15 expected)"),
    "a text for a number": ([MEASURES_HEADER, with_field(11, "-0.4mV")], 2, "max_slope is not a number"),
    "an empty trace": ([MEASURES_HEADER, with_field(0, "")], 2, "trace is not a number"),
    "a decimal step": ([MEASURES_HEADER, with_field(1, "1.5")], 2, "step is not a number"),
    "beyond int32": ([MEASURES_HEADER, with_field(2, "2147483648")], 2, "loop is not a number"),
    "channel 0": ([MEASURES_HEADER, with_field(4, "0")], 2, "channel is not one of 1-16"),
    "channel 17": ([MEASURES_HEADER, SOUND, with_field(4, "17")], 3, "channel is not one of 1-16"),
    "response 3": ([MEASURES_HEADER, with_field(5, "3")], 2, "response is not one of 1, 2"),
    "not finite": ([MEASURES_HEADER, with_field(9, "inf")], 2, "amplitude_mv is not a number"),
    "a nan for none": ([MEASURES_HEADER, with_field(13, "nan")], 2, "slope_20_80 is not a number"),
    "too large for a double": ([MEASURES_HEADER, with_field(3, "1e400")], 2, "time_s is not a number"),
    "a plus sign": ([MEASURES_HEADER, with_field(8, "+0.1")], 2, "baseline_mv is not a number"),
    "LF without CR": ([MEASURES_HEADER, SOUND + "\n" + SOUND], 2, "no CR LF line end"),
}


@pytest.mark.parametrize("case", DAMAGE)
def test_a_damaged_file_is_refused_naming_its_line(tmp_path, case):
    lines, line, reason = DAMAGE[case]
    path = write_measures(tmp_path / "m_measures.csv", lines=lines)
    with pytest.raises(measures.MeasuresError) as raised:
        measures.read(path)
    assert str(raised.value) == f"{path}: line {line}: {reason}"
    assert (raised.value.line, raised.value.reason) == (line, reason)


@pytest.mark.parametrize("tail", ["2,0,1,20,5,1,10.05,-6", measure_line(ONE_RESPONSE[2]),
                                  measure_line(ONE_RESPONSE[2]) + "\r"],
                         ids=["a row cut short", "a whole row without its line end", "a row cut before its LF"])
def test_a_cut_off_last_line_is_dropped_and_the_rows_before_it_stand(tmp_path, tail):
    path = write_measures(tmp_path / "m_measures.csv", ONE_RESPONSE[:2])
    path.write_bytes(path.read_bytes() + tail.encode())
    with pytest.warns(measures.MeasuresWarning) as warned:
        got = measures.read(path)
    assert [str(w.message) for w in warned] == [
        f"{path}: the last line has no line end (a write cut off); it is dropped"]
    assert got.tobytes() == expected(ONE_RESPONSE[:2]).tobytes()


def test_column_names_cut_off_are_a_damaged_file(tmp_path):
    path = tmp_path / "m_measures.csv"
    path.write_bytes(MEASURES_HEADER[:20].encode())
    with pytest.raises(measures.MeasuresError, match=r"line 1: not the measures file's column names$"):
        measures.read(path)


@pytest.mark.parametrize("recording, beside", [
    ("20220131_09h05m03s.pldat", "20220131_09h05m03s_measures.csv"),
    ("dir.pldat/run_2.pldat", "dir.pldat/run_2_measures.csv"),
    ("run", "run_measures.csv"),
])
def test_the_file_is_named_after_the_recording(recording, beside):
    assert measures.path_for(recording) == beside
