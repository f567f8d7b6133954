import json
import os
import subprocess
import sys

import numpy as np
import pytest

from conftest import LOG_HEADER, REPO, cli_info, three_traces, write_log
from korin16 import pldat, stimulation_log

# An IO-curve run: S1 on electrode 5, two pulses a trace, -10, -15, -20 uA by
# repetition; the device refused S1 in traces 2 and 3.
IO_CURVE = [
    (1, "1", 1, 0.0, "S1", 5, 1, 10.0, "Biphasic", 0.2, -10.0, True),
    (1, "1", 1, 0.0, "S1", 5, 2, 60.05, "Biphasic", 0.2, -10.0, True),
    (2, "2", 1, 1.5, "S1", 5, 1, 10.0, "Biphasic", 0.2, -15.0, False),
    (2, "2", 1, 1.5, "S1", 5, 2, 60.05, "Biphasic", 0.2, -15.0, False),
    (3, "1", 2, 3.25, "S1", 5, 1, 10.0, "Biphasic", 0.2, -20.0, False),
    (3, "1", 2, 3.25, "S1", 5, 2, 60.05, "Biphasic", 0.2, -20.0, False),
]

# Both outputs, S2 routed to no electrode, a trace beyond the recording's.
BOTH_OUTPUTS = [
    (1, "1", 1, 0.0, "S1", 16, 1, 0.05, "Biphasic", 0.1, 12.5, True),
    (1, "1", 1, 0.0, "S2", 0, 1, 100.5, "Const", 1.25, -5.0, True),
    (3, "1", 2, 3.25, "S2", 0, 3, 999.95, "Const", 1.25, -5.0, False),
    (3, "1", 2, 3.25, "S1", 3, 1, 0.05, "Biphasic", 0.1, 12.5, True),
    (5, "1", 3, 7.0, "S1", 16, 1, 0.05, "Biphasic", 0.1, 25.0, True),
]


@pytest.mark.parametrize("rows", [IO_CURVE, BOTH_OUTPUTS], ids=["io curve", "both outputs"])
def test_rows_equal_the_logs_values(tmp_path, rows):
    path = three_traces(tmp_path)
    write_log(path, rows)
    rec = pldat.open(path)
    assert rec.stimulation_path == str(tmp_path / "20261208_05h31m11s_stimulation.csv")
    assert rec.stimulation.dtype.names == stimulation_log.COLUMNS
    assert rec.stimulation.tolist() == rows
    for trace in rec.traces:
        assert trace.stimulation.tolist() == [r for r in rows if r[0] == trace.number]


@pytest.mark.parametrize("rows, traces", [(None, None), ([], 0)], ids=["no log", "header only"])
def test_a_file_without_rows(tmp_path, rows, traces):
    path = three_traces(tmp_path)
    if rows is not None:
        write_log(path, rows)
    rec = pldat.open(path)
    if rows is None:
        assert rec.stimulation is None and rec.stimulation_path is None
        assert [t.stimulation for t in rec.traces] == [None] * 3
    else:
        assert rec.stimulation.dtype == stimulation_log.DTYPE and len(rec.stimulation) == 0
        assert [len(t.stimulation) for t in rec.traces] == [traces] * 3


@pytest.mark.parametrize("text, value", [
    ("0.05", 0.05), ("-12.5", -12.5), ("100", 100.0), ("1.", 1.0), (".5", 0.5), ("-0", -0.0), ("1e-3", 0.001),
    ("0.1000000000000000055511151231257827", 0.1),  # more digits than a double holds
    ("1e300", 1e300), ("2.5E+002", 250.0),
])
def test_a_decimal_reads_as_the_double_it_names(text, value):
    line = f"1,1,1,0,S1,5,1,{text},Biphasic,0.2,-10,1"
    rows, problem = stimulation_log.parse(f"{LOG_HEADER}\r\n{line}\r\n".encode())
    assert problem == "" and rows["onset_ms"].tolist() == [value]
    assert np.signbit(rows["onset_ms"][0]) == np.signbit(value)


def test_an_integer_with_leading_zeros_reads_as_its_value():
    line = "0000000000003,1,1,0,S1,05,1,10,Biphasic,0.2,-10,1"
    rows, problem = stimulation_log.parse(f"{LOG_HEADER}\r\n{line}\r\n".encode())
    assert problem == "" and rows[["trace", "electrode"]].tolist() == [(3, 5)]


SOUND = "1,1,1,0,S1,5,1,10,Biphasic,0.2,-10,1"


def with_field(index, text):
    fields = SOUND.split(",")
    fields[index] = text
    return ",".join(fields)


# Lines of a damaged log and the problem told, by the line of the file.
DAMAGE = {
    "other column names": (["trace,step,loop"], "line 1: not the log's column names"),
    "a byte-order mark": (["\xef\xbb\xbf" + LOG_HEADER], "line 1: not the log's column names"),
    "no line at all": ([], "line 1: not the log's column names"),
    "a field missing": ([LOG_HEADER, SOUND, SOUND.rsplit(",", 1)[0]], "line 3: 11 fields (12 expected)"),
    "a field too many": ([LOG_HEADER, SOUND + ",1"], "line 2: 13 fields (12 expected)"),
    "an empty line": ([LOG_HEADER, "", SOUND], "line 2: 1 fields (12 expected)"),
    "a text for a number": ([LOG_HEADER, with_field(7, "10ms")], "line 2: onset_ms is not a number"),
    "an empty number": ([LOG_HEADER, with_field(10, "")], "line 2: intensity_ua is not a number"),
    "a decimal trace": ([LOG_HEADER, with_field(0, "1.5")], "line 2: trace is not a number"),
    "beyond int32": ([LOG_HEADER, with_field(5, "2147483648")], "line 2: electrode is not a number"),
    "a plus sign": ([LOG_HEADER, with_field(6, "+1")], "line 2: pulse is not a number"),
    "not finite": ([LOG_HEADER, with_field(9, "inf")], "line 2: duration_ms is not a number"),
    "too large for a double": ([LOG_HEADER, with_field(3, "1e400")], "line 2: trace_start_s is not a number"),
    "a non-ASCII digit": ([LOG_HEADER, with_field(2, "\xb2")], "line 2: loop is not a number"),
    "an unknown step": ([LOG_HEADER, with_field(1, "3")], "line 2: step is not one of 1, 2, M"),
    "an unknown output": ([LOG_HEADER, with_field(4, "s1")], "line 2: output is not one of S1, S2"),
    "an unknown type": ([LOG_HEADER, with_field(8, "Mono")], "line 2: type is not one of Biphasic, Const"),
    "played neither 0 nor 1": ([LOG_HEADER, with_field(11, "2")], "line 2: played is not one of 0, 1"),
    "the first bad field told": ([LOG_HEADER, "x,3,1,0,S3,5,1,10,Biphasic,0.2,-10,1"], "line 2: trace is not a number"),
}


@pytest.mark.parametrize("case", DAMAGE)
def test_a_damaged_log_is_told_with_its_line_and_ignored(tmp_path, case):
    lines, problem = DAMAGE[case]
    path = three_traces(tmp_path)
    write_log(path, lines=lines)
    told = f"{problem}; the log is ignored"
    with pytest.warns(pldat.PldatWarning) as warned:
        rec = pldat.open(path)
    assert [str(w.message) for w in warned] == [f"{path}: stimulation log {told}"]
    assert rec.stimulation is None and rec.stimulation_problem == told
    assert [t.scans for t in rec.traces] == [20000] * 3 and rec.traces[2].stimulation is None


@pytest.mark.parametrize("recording, log", [
    ("X_2.pldat", "X_2_stimulation.csv"),
    ("T_text_Manual Stim.pldat", "T_text_Manual Stim_stimulation.csv"),
    ("dir.pldat/run.pldat", "dir.pldat/run_stimulation.csv"),
    ("run", "run_stimulation.csv"),
])
def test_the_log_is_named_after_the_recording(recording, log):
    assert stimulation_log.path_for(recording) == log


def test_a_manual_files_log_is_read_beside_it(manual_file):
    path, _ = manual_file
    rows = [(1, "M", 0, 0.0, "S1", 5, p, 10.0 + 10 * (p - 1), "Biphasic", 0.2, -30.0, True) for p in (1, 2, 3)]
    log = write_log(path, rows)
    assert log.name == "20220131_09h05m03s__Manual Stim_stimulation.csv"
    rec = pldat.open(path)
    assert rec.manual_stimulation and rec.traces[0].stimulation.tolist() == rows


def python_info(path, as_json):
    args = [sys.executable, "-m", "korin16", "info", str(path)] + (["--json"] if as_json else [])
    done = subprocess.run(args, capture_output=True, env={**os.environ, "PYTHONPATH": str(REPO / "python")})
    return done.returncode, done.stdout, done.stderr


NAME = "20261208_05h31m11s_stimulation.csv"
# By case: the log's rows (or lines), the recording's trace count (4 makes the
# file report a missing trace first), the log's section and its JSON.
INFO = {
    "io curve": (IO_CURVE, 3, [
        f"Stimulation log: {NAME}",
        "Pulses: 6",
        "Traces stimulated: 1-3",
        "Electrodes: S1 5; S2 none",
        "Intensity: S1 -20 to -10 uA; S2 none",
        "Not played: trace 2 S1; trace 3 S1",
    ], {"file": NAME, "pulses": 6, "tracesStimulated": [1, 2, 3], "electrodes": {"S1": [5], "S2": []},
        "intensityUa": {"S1": {"min": -20, "max": -10}, "S2": None},
        "notPlayed": [{"trace": 2, "output": "S1"}, {"trace": 3, "output": "S1"}]}),
    "both outputs, after the problems": (BOTH_OUTPUTS, 4, [
        f"Stimulation log: {NAME}",
        "Pulses: 5",
        "Traces stimulated: 1, 3, 5",
        "Electrodes: S1 3,16; S2 0",
        "Intensity: S1 12.5 to 25 uA; S2 -5 uA",
        "Not played: trace 3 S2",
    ], {"file": NAME, "pulses": 5, "tracesStimulated": [1, 3, 5], "electrodes": {"S1": [3, 16], "S2": [0]},
        "intensityUa": {"S1": {"min": 12.5, "max": 25}, "S2": {"min": -5, "max": -5}},
        "notPlayed": [{"trace": 3, "output": "S2"}]}),
    "header only": ([], 3, [
        f"Stimulation log: {NAME}",
        "Pulses: 0",
        "Traces stimulated: none",
        "Electrodes: S1 none; S2 none",
        "Intensity: S1 none; S2 none",
    ], {"file": NAME, "pulses": 0, "tracesStimulated": [], "electrodes": {"S1": [], "S2": []},
        "intensityUa": {"S1": None, "S2": None}, "notPlayed": []}),
    "damaged": ([LOG_HEADER, SOUND, "1,1"], 3, [
        f"Stimulation log: {NAME}",
        "Stimulation log problem: line 3: 2 fields (12 expected); the log is ignored",
    ], {"file": NAME, "problem": "line 3: 2 fields (12 expected); the log is ignored"}),
}


@pytest.mark.parametrize("as_json", [False, True], ids=["text", "json"])
@pytest.mark.parametrize("case", INFO)
def test_info_tells_the_log(cli, tmp_path, case, as_json):
    rows, trace_count, section, stimulation = INFO[case]
    path = three_traces(tmp_path, trace_count=trace_count)
    if rows and isinstance(rows[0], str):
        write_log(path, lines=rows)
    else:
        write_log(path, rows)
    ours = python_info(path, as_json)
    theirs = cli_info(cli, path, as_json)
    if b"Stimulation log:" in theirs[1] or b'"stimulation":' in theirs[1]:
        assert ours == theirs
        return
    status, out, err = ours
    assert (status, err) == (0, b"")
    problems = "Problems: none\n" if trace_count == 3 else "Problems:\n  - 3 of 4 traces were recorded\n"
    if as_json:
        assert list(json.loads(out))[-2:] == ["problems", "stimulation"]
        assert out.endswith(b',"stimulation":' + json.dumps(stimulation, separators=(",", ":")).encode() + b"}\n")
    else:
        assert out.endswith((problems + "\n".join(section) + "\n").encode())


def test_info_without_a_log_has_no_log_section(cli, tmp_path):
    path = three_traces(tmp_path)
    for as_json in (False, True):
        status, out, _ = python_info(path, as_json)
        assert status == 0 and b"Stimulation log" not in out and b'"stimulation"' not in out
        assert (status, out) == cli_info(cli, path, as_json)[:2]



def test_a_log_that_cannot_be_read_is_told_and_ignored(tmp_path):
    path = three_traces(tmp_path)
    log = tmp_path / "20261208_05h31m11s_stimulation.csv"
    for make, kind in ((log.mkdir, "a folder"), (lambda: os.mkfifo(log), "a FIFO")):
        make()
        with pytest.warns(pldat.PldatWarning, match=rf"stimulation log cannot be read \({kind}, not a file\); the log "
                                                    r"is ignored$"):
            rec = pldat.open(path)  # a FIFO is never opened, so this does not wait for a writer
        assert rec.stimulation is None and len(rec.traces) == 3
        if log.is_dir():
            log.rmdir()
        else:
            log.unlink()


HEAD = LOG_HEADER + "\r\n"
# A log's bytes: the rows kept, the problem told, whether a cut tail was dropped.
TAILS = {
    "a row cut short": (HEAD + SOUND + "\r\n1,1,1,0,S1", 1, "", True),
    "a whole row without its line end": (HEAD + SOUND + "\r\n" + SOUND, 1, "", True),
    "a row cut before its LF": (HEAD + SOUND + "\r\n" + SOUND + "\r", 1, "", True),
    "only the column names, cut": (LOG_HEADER, None, "line 1: not the log's column names", True),
    "LF without CR": (HEAD + SOUND + "\n" + SOUND + "\r\n", None, "line 2: no CR LF line end", False),
    "column names without CR": (LOG_HEADER + "\n", None, "line 1: no CR LF line end", False),
    "damage before a cut tail": (HEAD + "1,1\r\n1,1", None, "line 2: 2 fields (12 expected)", False),
}


@pytest.mark.parametrize("case", TAILS)
def test_a_last_line_without_its_line_end_is_dropped(case):
    text, kept, problem, cut_tail = TAILS[case]
    read = stimulation_log.parse(text.encode())
    assert read.problem == (f"{problem}; the log is ignored" if problem else "")
    assert (None if read.rows is None else len(read.rows)) == kept
    assert read.cut_tail == cut_tail


def test_a_recording_keeps_the_rows_before_its_logs_cut_tail(tmp_path):
    path = three_traces(tmp_path)
    log = write_log(path, IO_CURVE)
    log.write_bytes(log.read_bytes() + b"3,1,2,3.25,S1,5,1,1")
    with pytest.warns(pldat.PldatWarning) as warned:
        rec = pldat.open(path)
    assert [str(w.message) for w in warned] == [
        f"{path}: stimulation log's last line has no line end (a write cut off); it is dropped"]
    assert rec.stimulation.tolist() == IO_CURVE and rec.stimulation_cut_tail
    assert rec.stimulation_problem == ""
