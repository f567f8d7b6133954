"""python -m korin16 plot FILE --out FIG.png [--baseline-traces N]: the
sixteen channels' max slope as % of its baseline over the run, in a 4 x 4
grid, and the input-output curve (mean max slope per intensity) beside it when
the stimulus intensity varied.

FILE is a measures file or a recording, whose STEM_measures.csv is read. The
baseline of a channel is the mean max slope of the first response over the
first N traces of the file (10 unless told). A channel has no response to
normalise, and is drawn empty, so labelled, when that mean is none or zero or
when fewer than half of those traces hold a response deep enough for a 20-80 %
slope: the steepest slope of noise is a number, but not one to take a
percentage of. korin16-cli measure's summary judges channels the same way.
"""

import argparse
import errno
import os
import sys
import warnings

import numpy as np

from . import measures

DEFAULT_BASELINE_TRACES = 10
GRID = 4  # rows and columns of channels
DPI = 100
GRID_SIZE_IN = (12.0, 9.0)  # 1200 x 900 pixels
IO_SIZE_IN = (16.0, 9.0)  # 1600 x 900 with the input-output panel
MINUTES_FROM_S = 600.0  # a run at least this long is shown in minutes
MIN_RESPONDING_SHARE = 0.5  # of the baseline traces with a max slope, as korin16-cli measure
STEP_MARKERS = ("s", "^")  # the first and second stimulation step, as the window's views draw them


def first_response(rows, channel):
    return rows[(rows["channel"] == channel) & (rows["response"] == 1)]


def baseline_traces(rows, count):
    """The trace numbers of the file's first `count` traces."""
    traces = rows["trace"]
    _, first = np.unique(traces, return_index=True)
    return traces[np.sort(first)][:count]


def time_course(rows, channel, count=DEFAULT_BASELINE_TRACES):
    """(baseline mean, mine) for a channel's first responses, `mine` its rows
    with the field "percent": the max slope as % of the mean over the first
    `count` traces of the file. The mean is NaN, and the percentages too,
    when the channel has no response to normalise (no max slope in those
    traces, a mean of 0, or too few of them with a 20-80 % slope)."""
    mine = first_response(rows, channel)
    slopes = mine["max_slope"].astype(np.float64)
    baseline = np.isin(mine["trace"], baseline_traces(rows, count))
    in_baseline = baseline & ~np.isnan(slopes)
    responding = np.count_nonzero(baseline & ~np.isnan(mine["slope_20_80"]))
    mean = float(slopes[in_baseline].mean()) if in_baseline.any() else np.nan
    if mean == 0 or responding < MIN_RESPONDING_SHARE * np.count_nonzero(in_baseline):
        mean = np.nan
    percent = 100.0 * slopes / mean if not np.isnan(mean) else np.full(len(mine), np.nan)
    out = np.empty(len(mine), dtype=mine.dtype.descr + [("percent", "<f8")])
    for name in mine.dtype.names:
        out[name] = mine[name]
    out["percent"] = percent
    return mean, out


def intensities(rows):
    """The distinct intensities of the first responses, ascending."""
    values = rows[rows["response"] == 1]["intensity_ua"]
    return np.unique(values[~np.isnan(values)])


def io_curve(rows, channel):
    """(intensities, mean max slopes) of a channel's first responses, an
    intensity without any max slope left out."""
    mine = first_response(rows, channel)
    xs, ys = [], []
    for intensity in intensities(mine):
        slopes = mine["max_slope"][mine["intensity_ua"] == intensity].astype(np.float64)
        slopes = slopes[~np.isnan(slopes)]
        if len(slopes):
            xs.append(float(intensity))
            ys.append(float(slopes.mean()))
    return np.array(xs), np.array(ys)


def figure(rows, count=DEFAULT_BASELINE_TRACES, title=""):
    """The matplotlib Figure of a measures table (Agg, no window)."""
    from matplotlib.backends.backend_agg import FigureCanvasAgg
    from matplotlib.figure import Figure

    with_io = len(intensities(rows)) > 1
    fig = Figure(figsize=IO_SIZE_IN if with_io else GRID_SIZE_IN, dpi=DPI)
    FigureCanvasAgg(fig)
    # With the input-output panel: a narrow gap column, then the panel over all rows.
    ratios = [1] * GRID + ([0.25, 1.75] if with_io else [])
    grid = fig.add_gridspec(GRID, len(ratios), width_ratios=ratios, hspace=0.45, wspace=0.3)
    times = rows["time_s"]
    scale, unit = (60.0, "min") if len(times) and float(times.max()) >= MINUTES_FROM_S else (1.0, "s")
    steps = np.unique(rows["step"])
    responding = []
    first_axes = None
    for channel in range(1, GRID * GRID + 1):
        row, column = divmod(channel - 1, GRID)
        ax = fig.add_subplot(grid[row, column], sharex=first_axes)
        first_axes = first_axes or ax
        ax.set_title(f"Ch{channel}", fontsize=9)
        ax.tick_params(labelsize=7)
        mean, course = time_course(rows, channel, count)
        if np.isnan(mean):
            ax.text(0.5, 0.5, "no response", ha="center", va="center", transform=ax.transAxes, color="0.4")
            ax.set_yticks([])
        else:
            responding.append(channel)
            ax.axhline(100.0, color="0.5", linestyle="--", linewidth=0.8)
            for n, step in enumerate(steps):
                mine = course[course["step"] == step]
                ax.plot(mine["time_s"] / scale, mine["percent"], linestyle="none",
                        marker=STEP_MARKERS[min(n, len(STEP_MARKERS) - 1)], markersize=3, color="black")
        if row == GRID - 1:
            ax.set_xlabel(f"Time ({unit})", fontsize=8)
        if column == 0:
            ax.set_ylabel("Max slope (%)", fontsize=8)
    if with_io:
        ax = fig.add_subplot(grid[:, GRID + 1])
        ax.set_title("Input-output", fontsize=10)
        curves = [(channel, io_curve(rows, channel)) for channel in responding]
        curves = [(channel, xs, ys) for channel, (xs, ys) in curves if len(xs)]
        for channel, xs, ys in curves:
            ax.plot(xs, ys, marker="o", markersize=3, linewidth=1, label=f"Ch{channel}")
        if curves:
            ax.legend(fontsize=7, ncol=2)
        else:
            ax.text(0.5, 0.5, "no response", ha="center", va="center", transform=ax.transAxes, color="0.4")
        ax.set_xlabel("Intensity (\u00b5A)", fontsize=9)
        ax.set_ylabel("Mean max slope (mV/ms)", fontsize=9)
    fig.suptitle(f"{title}{': ' if title else ''}max slope as % of the mean of the first {count} traces",
                 fontsize=11)
    return fig


def measures_path(path):
    """The measures file FILE names: itself, or the one beside a recording."""
    return measures.path_for(path) if os.fspath(path).endswith(measures.RECORDING_EXTENSION) else os.fspath(path)


def run(path, out, count=DEFAULT_BASELINE_TRACES):
    """Draws FILE's figure into `out`; (exit status, message for standard error)."""
    source = measures_path(path)
    if source != os.fspath(path) and not os.path.exists(source):
        if not os.path.exists(path):
            return 1, f'error: Cannot open "{path}": {os.strerror(errno.ENOENT)}.\n'
        return 1, f"error: {path} has no measures file beside it ({os.path.basename(source)}): " \
                  f"korin16-cli measure writes one\n"
    told = []
    try:
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always", measures.MeasuresWarning)
            rows = measures.read(source)
        told = [f"warning: {w.message}\n" for w in caught if issubclass(w.category, measures.MeasuresWarning)]
    except measures.MeasuresError as e:
        return 1, f"error: {e}; nothing is drawn\n"
    except OSError as e:
        return 1, f'error: Cannot open "{source}": {os.strerror(e.errno) if e.errno else e}.\n'
    try:
        fig = figure(rows, count, os.path.basename(source))
    except ImportError:
        return 1, "".join(told) + "error: the figure needs matplotlib (Debian: python3-matplotlib)\n"
    try:
        fig.savefig(out)
    except (OSError, ValueError) as e:
        text = os.strerror(e.errno) if isinstance(e, OSError) and e.errno else e
        return 1, "".join(told) + f'error: Cannot write "{out}": {text}.\n'
    return 0, "".join(told)


def _positive(text):
    try:
        value = int(text)
    except ValueError:
        value = 0
    if value < 1:
        raise argparse.ArgumentTypeError(f"takes a whole number of traces from 1 up, not {text!r}")
    return value


def main(argv):
    parser = argparse.ArgumentParser(prog="python -m korin16 plot",
                                     description="Max slope as % of baseline on all sixteen channels.")
    parser.add_argument("file", metavar="FILE", help="a measures file, or a recording with one beside it")
    parser.add_argument("--out", required=True, metavar="FIG.png", help="the figure to write")
    parser.add_argument("--baseline-traces", type=_positive, default=DEFAULT_BASELINE_TRACES, metavar="N",
                        help="traces whose mean is 100 %% (default %(default)s)")
    args = parser.parse_args(argv)
    status, message = run(args.file, args.out, args.baseline_traces)
    sys.stderr.write(message)
    return status
