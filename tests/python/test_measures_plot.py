import math
import os
import struct
import subprocess
import sys

import numpy as np
import pytest

from conftest import REPO, three_traces, write_measures
from korin16 import measures, plot

N = None


def row(trace, channel, max_slope, intensity=-60.0, response=1, step=0, slope_20_80=-0.2):
    return (trace, step, 1, 20.0 * (trace - 1), channel, response, 10.0, intensity, 0.0, -1.0, 4.0, max_slope,
            -0.3, slope_20_80, N)


# Channel 5 responds (-0.5, -0.25 in the baseline, mean -0.375); channel 6 is
# not measured in trace 1; channel 7 never has a max slope; channel 8's
# baseline mean is 0; channel 10 is noise, a max slope in every trace but a
# 20-80 % slope only in the third. Second responses never count.
LTP = [
    row(1, 5, -0.5), row(1, 7, N), row(1, 8, -0.25), row(1, 5, -4.0, response=2),
    row(2, 5, -0.25), row(2, 6, -0.5), row(2, 7, N), row(2, 8, 0.25),
    row(3, 5, -0.75), row(3, 6, -0.625), row(3, 7, N), row(3, 8, -0.5),
    row(4, 5, N), row(4, 6, -0.25, step=1),
    row(1, 10, -0.1, slope_20_80=N), row(2, 10, -0.2, slope_20_80=N), row(3, 10, -0.3),
]


@pytest.mark.parametrize("channel, count, mean, percent", [
    (5, 2, -0.375, [400 / 3, 200 / 3, 200, math.nan]),
    (5, 1, -0.5, [100, 50, 150, math.nan]),
    (5, 10, -0.5, [100, 50, 150, math.nan]),  # all four traces; trace 4 has none
    (6, 2, -0.5, [100, 125, 50]),  # the file's first two traces, though the channel's first is trace 2
    (7, 2, math.nan, [math.nan] * 3),
    (8, 2, math.nan, [math.nan] * 3),
    (9, 2, math.nan, []),
    (10, 2, math.nan, [math.nan] * 3),
    (10, 3, math.nan, [math.nan] * 3),  # one of three traces responds: under half
], ids=["baseline of 2", "baseline of 1", "baseline past the end", "not measured at first", "no max slope",
        "a zero baseline", "no rows", "noise", "noise with one response"])
def test_time_course_is_the_max_slope_as_percent_of_the_baseline_mean(tmp_path, channel, count, mean, percent):
    rows = measures.read(write_measures(tmp_path / "m_measures.csv", LTP))
    with np.errstate(all="raise"):  # no division by zero, no mean of nothing
        got_mean, course = plot.time_course(rows, channel, count)
    assert np.array_equal([got_mean], [mean], equal_nan=True)
    np.testing.assert_allclose(course["percent"], percent, rtol=1e-15)
    assert set(course["response"]) <= {1}


def test_io_curve_is_the_mean_max_slope_per_intensity(tmp_path):
    rows = measures.read(write_measures(tmp_path / "m_measures.csv", [
        row(1, 5, -0.25, -20.0), row(2, 5, -0.5, -40.0), row(3, 5, -0.75, -20.0), row(4, 5, N, -10.0),
        row(5, 5, -1.0, -40.0), row(5, 5, -9.0, -40.0, response=2), row(6, 5, -0.125, N),
    ]))
    xs, ys = plot.io_curve(rows, 5)
    assert (xs.tolist(), ys.tolist()) == ([-40.0, -20.0], [-0.75, -0.5])


def run_plot(*args):
    done = subprocess.run([sys.executable, "-m", "korin16", "plot", *map(str, args)], capture_output=True,
                          env={**os.environ, "PYTHONPATH": str(REPO / "python")}, timeout=120)
    return done.returncode, done.stderr.decode()


def png_size(path):
    data = path.read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n" and data[12:16] == b"IHDR"
    return struct.unpack(">II", data[16:24])


IO_RUN = [row(t, c, -0.01 * 10 * ((t + 1) // 2), -10.0 * ((t + 1) // 2)) for t in range(1, 9) for c in (5, 6)]


@pytest.mark.parametrize("rows, size", [(LTP, (1200, 900)), (IO_RUN, (1600, 900))],
                         ids=["one intensity", "several intensities, with the input-output panel"])
@pytest.mark.parametrize("given", ["measures file", "recording"])
def test_plot_writes_the_figure(tmp_path, rows, size, given):
    recording = three_traces(tmp_path)
    write_measures(measures.path_for(recording), rows)
    source = recording if given == "recording" else measures.path_for(recording)
    out = tmp_path / "fig.png"
    assert run_plot(source, "--out", out, "--baseline-traces", 2) == (0, "")
    assert png_size(out) == size


def test_plot_tells_a_cut_off_last_line_and_draws_the_rest(tmp_path):
    path = write_measures(tmp_path / "m_measures.csv", LTP)
    path.write_bytes(path.read_bytes() + b"5,0,1")
    status, err = run_plot(path, "--out", tmp_path / "fig.png")
    assert (status, err) == (0, f"warning: {path}: the last line has no line end (a write cut off); it is dropped\n")
    assert png_size(tmp_path / "fig.png") == (1200, 900)


# What is wrong -> the file given (in tmp_path), whether its measures file is
# made, damaged, and the message.
FAILURES = {
    "a missing measures file": ("gone_measures.csv", None,
                                'error: Cannot open "{d}/gone_measures.csv": No such file or directory.\n'),
    "a missing recording": ("gone.pldat", None, 'error: Cannot open "{d}/gone.pldat": No such file or directory.\n'),
    "a recording without measures": ("20261208_05h31m11s.pldat", None,
                                     "error: {d}/20261208_05h31m11s.pldat has no measures file beside it "
                                     "(20261208_05h31m11s_measures.csv): korin16-cli measure writes one\n"),
    "a damaged measures file": ("20261208_05h31m11s.pldat", "1,0,1,0,5,1,10\r\n",
                                "error: {d}/20261208_05h31m11s_measures.csv: line 2: 7 fields (15 expected); "
                                "nothing is drawn\n"),
    "a FIFO in the measures file's place": ("20261208_05h31m11s.pldat", "fifo",
                                            'error: Cannot open "{d}/20261208_05h31m11s_measures.csv": '
                                            'a FIFO, not a file.\n'),
}


@pytest.mark.parametrize("case", FAILURES)
def test_plot_refuses_a_missing_or_damaged_file(tmp_path, case):
    name, damage, message = FAILURES[case]
    three_traces(tmp_path)
    if damage == "fifo":
        os.mkfifo(measures.path_for(tmp_path / name))
    elif damage is not None:
        path = write_measures(measures.path_for(tmp_path / name), [])
        path.write_bytes(path.read_bytes() + damage.encode())
    out = tmp_path / "fig.png"
    assert run_plot(tmp_path / name, "--out", out) == (1, message.format(d=tmp_path))
    assert not out.exists()


def test_plot_refuses_a_figure_it_cannot_write(tmp_path):
    path = write_measures(tmp_path / "m_measures.csv", LTP)
    out = tmp_path / "no such folder" / "fig.png"
    assert run_plot(path, "--out", out) == (1, f'error: Cannot write "{out}": No such file or directory.\n')


@pytest.mark.parametrize("args", [[], ["m_measures.csv"],
                                  ["m_measures.csv", "--out", "f.png", "--baseline-traces", "0"],
                                  ["m_measures.csv", "--out", "f.png", "--baseline-traces", "2.5"]],
                         ids=["nothing", "no --out", "no baseline traces", "a fraction of a trace"])
def test_plot_refuses_bad_options(tmp_path, args):
    write_measures(tmp_path / "m_measures.csv", LTP)
    done = subprocess.run([sys.executable, "-m", "korin16", "plot", *args], capture_output=True, cwd=tmp_path,
                          env={**os.environ, "PYTHONPATH": str(REPO / "python")}, timeout=120)
    assert done.returncode == 2 and done.stderr.startswith(b"usage: python -m korin16 plot")
    assert not (tmp_path / "f.png").exists()
