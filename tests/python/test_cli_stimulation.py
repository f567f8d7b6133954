"""The stimulation log of files recorded by korin16-cli: the reader, Neo and
info give the values written in the file, and the simulated tissue answers a
manual tetanus between traces with a larger evoked response."""

import csv

import numpy as np
import pytest

from conftest import cli_info, run_cli
from korin16 import info, pldat, stimulation_log
from korin16.neo_io import Korin16IO

TEST_PULSE = "Biphasic,0.2,-40,10,89.8"  # 10 ms into every trace
TRAIN = ";".join(["Biphasic,0.2,-40,0,9.8"] * 20)  # 20 pulses at 100 Hz
NEIGHBOURS = [0, 5, 8]  # electrodes 1, 6, 9: beside electrode 5


@pytest.fixture(scope="module")
def ltp(cli, tmp_path_factory):
    """Two baseline traces, the manual train after trace 2, four follow-up traces, 10 s apart."""
    folder = tmp_path_factory.mktemp("ltp")
    done = run_cli(cli, "record", "--out", folder, "--time", 1, "--repeat", 6, "--interval", 10,
                   "--s1-electrode", 5, "--step1-s1", TEST_PULSE,
                   "--manual-s1", TRAIN, "--manual-s1-electrode", 5, "--manual-after-trace", 2)
    assert done.returncode == 0, done.stderr.decode()
    (manual,) = folder.glob("*_Manual Stim.pldat")
    (run,) = [p for p in folder.glob("*.pldat") if p != manual]
    return run, manual


def file_rows(path):
    """The log's rows as the file's texts say them, in the reader's types."""
    with open(stimulation_log.path_for(str(path)), newline="") as f:
        lines = list(csv.reader(f))
    assert lines[0] == list(stimulation_log.COLUMNS)
    kinds = [int, str, int, float, str, int, int, float, str, float, float, lambda v: v == "1"]
    return [tuple(kind(v) for kind, v in zip(kinds, line)) for line in lines[1:]]


@pytest.mark.parametrize("which", [0, 1], ids=["run", "manual"])
def test_reader_and_neo_give_the_files_rows(ltp, which):
    path = ltp[which]
    rows = file_rows(path)
    rec = pldat.open(path)
    assert rec.stimulation.tolist() == rows
    segments = Korin16IO(path).read_block().segments
    assert len(segments) == len(rec.traces)
    for trace, segment in zip(rec.traces, segments):
        mine = [r for r in rows if r[0] == trace.number]
        stimuli = segment.events[2]
        assert stimuli.name == "stimulus"
        start_s = segment.analogsignals[0].t_start.rescale("s").magnitude
        assert stimuli.times.rescale("s").magnitude.tolist() == [start_s + r[7] / 1000.0 for r in mine]
        assert stimuli.array_annotations["intensity_ua"].tolist() == [r[10] for r in mine]
        assert stimuli.array_annotations["played"].tolist() == [r[11] for r in mine]


def test_the_session_logs_every_trace_and_the_train(ltp):
    run, manual = ltp
    assert [(r[0], r[1], r[7]) for r in file_rows(run)] == [(t, "1", 10.0) for t in range(1, 7)]
    train = file_rows(manual)
    assert [(r[0], r[1], r[6], r[7]) for r in train] == [(1, "M", p, 10.0 * (p - 1)) for p in range(1, 21)]


@pytest.mark.parametrize("as_json", [False, True], ids=["text", "json"])
@pytest.mark.parametrize("which", [0, 1], ids=["run", "manual"])
def test_python_info_prints_what_the_cli_prints(cli, ltp, which, as_json):
    path = str(ltp[which])
    assert info.run(path, as_json)[:2] == cli_info(cli, path, as_json)[:2]


def evoked_mv(trace):
    """Field potential 5-20 ms after the trace's pulse against the 9 ms before
    it, averaged over the neighbours of the stimulated electrode (negative)."""
    mv = trace.to_mv()
    onset = int(round(trace.stimulation["onset_ms"][0] * 20))
    return np.mean([mv[onset + 100:onset + 400, c].mean() - mv[onset - 180:onset, c].mean() for c in NEIGHBOURS])


def test_the_train_potentiates_the_evoked_response(ltp):
    traces = pldat.open(ltp[0]).traces
    before = np.mean([evoked_mv(t) for t in traces[:2]])
    after = np.mean([evoked_mv(t) for t in traces[2:]])
    assert before < 0
    assert after / before > 1.2
