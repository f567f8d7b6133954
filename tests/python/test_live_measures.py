"""The measures file a recorded run writes as it goes, on sessions recorded by
korin16-cli on the simulated device: an LTP session in one command, an
input-output run and paired pulses; the live file, korin16-cli measure of the
same recording and the Python reader agree value for value."""

import csv
import re

import numpy as np
import pytest

from conftest import run_cli
from korin16 import measures, plot

ELECTRODE = 5
FAR = 16  # 640 um and more from electrode 5: the response does not reach it
TEST_PULSE = "Biphasic,0.2,-60,10,89.8"  # 60 uA, 10 ms into every trace
TRAIN = ";".join(["Biphasic,0.2,-60,0,9.8"] * 100)  # 100 pulses at 100 Hz


def record(cli, folder, *options):
    folder.mkdir()
    done = run_cli(cli, "record", "--out", folder, "--s1-electrode", ELECTRODE, *options)
    assert done.returncode == 0, done.stderr.decode()
    (run,) = [p for p in folder.glob("*.pldat") if "Manual" not in p.name]
    live = measures.path_for(str(run))
    assert f"Wrote {live}" in done.stdout.decode()
    return run, live


def cli_measure(cli, run, out):
    done = run_cli(cli, "measure", run, "--out", out)
    assert done.returncode == 0, done.stderr.decode()
    return done.stdout.decode()


def summary_line(text, channel):
    (line,) = [l for l in text.splitlines() if re.match(rf"^ +{channel} ", l)]
    return line


def first_responses(rows, channel):
    return rows[(rows["channel"] == channel) & (rows["response"] == 1)]


@pytest.fixture(scope="module")
def ltp(cli, tmp_path_factory):
    """10 baseline traces, the train after trace 10, 20 more traces, every 5 s."""
    folder = tmp_path_factory.mktemp("live") / "ltp"
    return record(cli, folder, "--time", 1, "--repeat", 30, "--interval", 5, "--step1-s1", TEST_PULSE,
                  "--manual-s1", TRAIN, "--manual-s1-electrode", ELECTRODE, "--manual-after-trace", 10)


def test_ltp_the_live_file_shows_the_potentiation(ltp):
    slope = first_responses(measures.read(ltp[1]), ELECTRODE)["max_slope"]
    assert len(slope) == 30
    assert slope[-10:].mean() / slope[:10].mean() >= 1.15


def test_ltp_measure_reports_the_potentiation_and_a_far_electrode_without_response(cli, ltp, tmp_path):
    text = cli_measure(cli, ltp[0], tmp_path / "m.csv")
    percent = float(re.search(r"([0-9.]+) %", summary_line(text, ELECTRODE)).group(1))
    assert percent >= 115
    assert summary_line(text, FAR).endswith("no response to normalise")
    # The figure leaves empty exactly the channels the summary does not normalise.
    rows = measures.read(ltp[1])
    for channel in range(1, 17):
        told = summary_line(text, channel).endswith("no response to normalise")
        assert np.isnan(plot.time_course(rows, channel)[0]) == told, channel


def test_live_file_cli_table_and_reader_agree(cli, ltp, tmp_path):
    out = tmp_path / "cli.csv"
    cli_measure(cli, ltp[0], out)
    live = open(ltp[1], "rb").read()
    assert live == out.read_bytes()
    rows = measures.read(ltp[1])
    with open(ltp[1], newline="") as f:
        texts = list(csv.reader(f))[1:]
    assert len(rows) == len(texts) == 30 * 16
    for name in measures.COLUMNS:
        kind = rows.dtype[name].type
        expected = np.array([kind(float(t[measures.COLUMNS.index(name)]) if t[measures.COLUMNS.index(name)]
                                  else np.nan) for t in texts], dtype=rows.dtype[name])
        np.testing.assert_array_equal(rows[name], expected, err_msg=name)


def test_io_max_slope_rises_with_intensity(cli, tmp_path):
    run, live = record(cli, tmp_path / "io", "--time", 1, "--repeat", 8, "--interval", 2,
                       "--step1-s1", "Biphasic,0.2,-10,10,89.8", "--by-rep", "--increment", 10)
    first = first_responses(measures.read(live), ELECTRODE)
    assert first["intensity_ua"].tolist() == [-10.0 * n for n in range(1, 9)]
    text = cli_measure(cli, run, tmp_path / "m.csv")
    lines = text.splitlines()
    heading = lines.index("Mean max slope of the first response (mV/ms) per intensity (uA):")
    intensities = [float(v) for v in lines[heading + 1].split()[1:]]
    means = [float(v) for v in summary_line("\n".join(lines[heading + 2:]), ELECTRODE).split()[1:]]
    by_current = [m for _, m in sorted(zip((abs(i) for i in intensities), means))]
    assert len(by_current) == 8
    assert all(b < a for a, b in zip(by_current, by_current[1:])), by_current  # steeper (more negative)


def test_paired_pulses_50_ms_apart_are_depressed(cli, tmp_path):
    run, live = record(cli, tmp_path / "pp", "--time", 1, "--repeat", 5, "--interval", 2,
                       "--step1-s1", "Biphasic,0.2,-60,10,49.85;Biphasic,0.2,-60,0,39.8")
    rows = measures.read(live)
    second = rows[(rows["channel"] == ELECTRODE) & (rows["response"] == 2)]
    assert len(second) == 5
    assert second["onset_ms"].tolist() == [60.0] * 5
    assert second["ppr_max_slope"].mean() < 1
    ppr = float(summary_line(cli_measure(cli, run, tmp_path / "m.csv"), ELECTRODE).split()[-1])
    assert ppr < 1
