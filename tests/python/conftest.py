"""Recordings for the Python reader's tests, made by the program's own
command-line tool (KORIN16_CLI, default build/korin16-cli), and a small
writer of hand-made files for the cases it cannot record."""

import decimal
import json
import math
import os
import struct
import subprocess
from pathlib import Path

import numpy as np
import pytest

REPO = Path(__file__).resolve().parents[2]


@pytest.fixture(scope="session")
def cli():
    path = Path(os.environ.get("KORIN16_CLI", REPO / "build" / "korin16-cli"))
    if not (path.is_file() and os.access(path, os.X_OK)):
        pytest.fail(f"korin16-cli not found at {path}: build it first or set KORIN16_CLI", pytrace=False)
    return path


def run_cli(cli, *args):
    return subprocess.run([str(cli), *map(str, args)], capture_output=True, timeout=120)


def cli_info(cli, path, as_json=False):
    done = run_cli(cli, "info", path, *(["--json"] if as_json else []))
    return done.returncode, done.stdout, done.stderr


def record(cli, folder, repeat, seconds, interval, input_range, seed):
    folder.mkdir()
    done = run_cli(cli, "record", "--out", folder, "--repeat", repeat, "--time", seconds, "--interval", interval,
                   "--input-range", input_range, "--seed", seed)
    assert done.returncode == 0, done.stderr.decode()
    (path,) = folder.glob("*.pldat")
    return path


@pytest.fixture(scope="session")
def rec2000(cli, tmp_path_factory):
    """3 traces of 1.2 s (blocks of 10000, 10000, 4000 scans) started every 2 s, range 2000 uV."""
    return record(cli, tmp_path_factory.mktemp("rec") / "r2000", 3, 1.2, 2, 2000, 3)


@pytest.fixture(scope="session")
def rec10000(cli, tmp_path_factory):
    """3 traces of 1.2 s started every 1.5 s, range 10000 uV."""
    return record(cli, tmp_path_factory.mktemp("rec") / "r10000", 3, 1.2, 1.5, 10000, 4)


@pytest.fixture(scope="session")
def rec_short(cli, tmp_path_factory):
    """3 traces of 0.1 s (one block of 2000 scans each) started every 1 s."""
    return record(cli, tmp_path_factory.mktemp("rec") / "short", 3, 0.1, 1, 2000, 5)


@pytest.fixture(params=["rec2000", "rec10000"])
def recording(request):
    return request.getfixturevalue(request.param)


def info_json(cli, path):
    status, out, err = cli_info(cli, path, as_json=True)
    assert status == 0, err.decode()
    return json.loads(out)


def write_pldat(path, blocks, trace_count, blocks_per_trace, duration_ms, flags=(1,) * 16, seed=0):
    """A file as the program lays it out; `blocks` are (trace, block, trace start ms,
    scans, first, last, loop, step). Returns the samples of each block (scans x values)."""
    values = sum(1 for f in flags if f == 1)
    header = struct.pack("<iiBdddd64shBBihq", trace_count, blocks_per_trace, 1, 20000.0, duration_ms, 2000.0,
                         1 / 16384, bytes(flags) + bytes(64 - len(flags)), 2022, 1, 31, 32703250, 540,
                         637792167032500000)
    rng = np.random.default_rng(seed)
    samples = []
    with open(path, "wb") as f:
        f.write(header)
        for n, (trace, block, start, scans, first, last, loop, step) in enumerate(blocks):
            counts = rng.integers(-32768, 32768, size=(scans, values), dtype=np.int16)
            f.write(struct.pack("<iiddiBBiBi", trace, block, start, block * 500.0, scans, first, last, loop, step,
                                scans * values * 2))
            f.write(counts.astype("<i2").tobytes())
            samples.append(counts)
    return samples


@pytest.fixture
def manual_file(tmp_path):
    """A manual stimulation of 1200 ms: one trace of (1200 // 500) + 1 full blocks, step 0, loop 0."""
    path = tmp_path / "20220131_09h05m03s__Manual Stim.pldat"
    blocks = [(0, b, 0.0, 10000, int(b == 0), 0, 0, 0) for b in range(3)]
    return path, write_pldat(path, blocks, 1, 3, 1200.0)


@pytest.fixture
def steps_file(tmp_path):
    """3 traces of 1 s alternating step 1 and step 2: loops 1, 1, 2."""
    path = tmp_path / "steps.pldat"
    blocks = [(t, b, t * 3000.0, 10000, int(b == 0), int(b == 1), loop, step)
              for t, (loop, step) in enumerate([(1, 0), (1, 1), (2, 0)]) for b in range(2)]
    return path, write_pldat(path, blocks, 3, 2, 1000.0)


LOG_HEADER = "trace,step,loop,trace_start_s,output,electrode,pulse,onset_ms,type,duration_ms,intensity_ua,played"


def log_text(value):
    """A field as the program writes it: shortest round-trip decimals without a
    trailing ".0", booleans as 0 or 1."""
    if isinstance(value, bool):
        return str(int(value))
    if isinstance(value, float):
        text = repr(value)
        return text[:-2] if text.endswith(".0") else text
    return str(value)


def write_log(pldat_path, rows=(), lines=None):
    """The stimulation log beside `pldat_path`: the column names and `rows`
    (tuples in column order), or exactly `lines` when given; CR LF after each."""
    if lines is None:
        lines = [LOG_HEADER] + [",".join(map(log_text, row)) for row in rows]
    path = Path(str(pldat_path)[:-len(".pldat")] + "_stimulation.csv")
    path.write_bytes(b"".join(line.encode("latin-1") + b"\r\n" for line in lines))
    return path


def three_traces(folder, name="20261208_05h31m11s.pldat", trace_count=3):
    """A hand-made run of 3 traces of 1 s, steps 1, 2, 1 in loops 1, 1, 2,
    started at 0, 1.5 and 3.25 s."""
    path = folder / name
    blocks = [(t, b, start, 10000, int(b == 0), int(b == 1), loop, step)
              for t, (start, loop, step) in enumerate([(0.0, 1, 0), (1500.0, 1, 1), (3250.0, 2, 0)])
              for b in range(2)]
    write_pldat(path, blocks, trace_count, 2, 1000.0)
    return path


def shortest_text(value, single=False):
    """A number as std::to_chars writes it with no format given: the shortest
    digits that read back as the same double (or float, `single`), fixed
    notation unless scientific is shorter ("86400", "0.125", "1e+05", "1e-05")."""
    if isinstance(value, (int, np.integer)) and not isinstance(value, bool):
        return str(value)
    sign, digits, exponent = decimal.Decimal(repr(np.float32(value)) if single else repr(float(value))).as_tuple()
    digits = "".join(map(str, digits))
    minus = "-" if sign else ""
    if digits.strip("0") == "":
        return minus + "0"
    point = len(digits) + exponent  # the value is 0.DIGITS x 10^point
    digits = digits.rstrip("0")
    if point >= len(digits):
        fixed = str(abs(int(float(np.float32(value) if single else value))))  # whole numbers exact, not padded
    elif point > 0:
        fixed = digits[:point] + "." + digits[point:]
    else:
        fixed = "0." + "0" * -point + digits
    power = point - 1
    scientific = digits[0] + ("." + digits[1:] if len(digits) > 1 else "") + ("e-" if power < 0 else "e+") + \
        "%02d" % abs(power)
    return minus + (fixed if len(fixed) <= len(scientific) else scientific)


MEASURES_HEADER = ("trace,step,loop,time_s,channel,response,onset_ms,intensity_ua,baseline_mv,amplitude_mv,"
                   "latency_ms,max_slope,window_slope,slope_20_80,ppr_max_slope")
# Columns the program writes from single-precision values.
SINGLE_COLUMNS = range(7, 15)


def measure_line(row):
    """A row (a tuple in column order, None or NaN for none) as the program
    writes it, without its line end."""
    fields = []
    for i, value in enumerate(row):
        none = value is None or (isinstance(value, float) and math.isnan(value))
        fields.append("" if none else shortest_text(value, single=i in SINGLE_COLUMNS))
    return ",".join(fields)


def write_measures(path, rows=(), lines=None):
    """A measures file: the column names and `rows`, or exactly `lines`; CR LF after each."""
    if lines is None:
        lines = [MEASURES_HEADER] + [measure_line(row) for row in rows]
    Path(path).write_bytes(b"".join(line.encode("latin-1") + b"\r\n" for line in lines))
    return Path(path)
