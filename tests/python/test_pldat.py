import os
import shutil
import subprocess
import sys

import numpy as np
import pytest

from conftest import REPO, cli_info, info_json, run_cli, write_pldat
from korin16 import pldat

CONVERSION = {2000: 6.103515625e-05, 10000: 3.0517578125e-04}  # mV per count


def raw_traces(cli, path):
    """Each trace's counts decoded straight from the file bytes, blocks located
    by the sample counts that `korin16-cli info` lists per trace."""
    info = info_json(cli, path)
    data = path.read_bytes()
    values = info["valuesPerScan"]
    position = 123
    traces = []
    for group in info["traces"]:
        for _ in range(group["firstTrace"], group["lastTrace"] + 1):
            parts = []
            for run in group["samples"]:
                for _ in range(run["blocks"]):
                    scans = run["samplesPerChannel"]
                    parts.append(np.frombuffer(data, "<i2", scans * values, position + 39).reshape(scans, values))
                    position += 39 + scans * values * 2
            traces.append(np.concatenate(parts))
    assert position == len(data)
    return traces


def test_samples_equal_the_raw_bytes_of_every_trace(cli, recording):
    rec = pldat.open(recording)
    expected = raw_traces(cli, recording)
    assert len(rec.traces) == len(expected)
    for trace, counts in zip(rec.traces, expected):
        assert trace.samples.dtype == np.int16
        np.testing.assert_array_equal(trace.samples, counts)
        np.testing.assert_array_equal(trace.to_mv(), counts * rec.conversion_factor)


@pytest.mark.parametrize("fixture, starts_s, input_range", [
    ("rec2000", [0, 2, 4], 2000),
    ("rec10000", [0, 1.5, 3], 10000),
])
def test_header_and_block_fields_of_a_recorded_run(request, fixture, starts_s, input_range):
    rec = pldat.open(request.getfixturevalue(fixture))
    assert rec.trace_count == len(starts_s) and rec.blocks_per_trace == 3 and rec.trace_duration_ms == 1200
    assert rec.input_range_uv == input_range and rec.conversion_factor == CONVERSION[input_range]
    assert rec.channels == list(range(1, 17)) and rec.values_per_scan == 16
    assert [t.start_s for t in rec.traces] == starts_s
    assert rec.traces[1].times(0, 2).tolist() == pytest.approx([starts_s[1], starts_s[1] + 0.00005])
    assert rec.blocks["samples"].tolist() == [10000, 10000, 4000] * len(starts_s)
    assert rec.blocks["block_offset_ms"].tolist() == [0, 500, 1000] * len(starts_s)
    assert rec.blocks["last"].tolist() == [0, 0, 1] * len(starts_s)
    assert all(t.scans == 24000 and t.step is None and t.loop == 0 for t in rec.traces)
    assert rec.end == pldat.FILE_END and rec.trailing_bytes == 0


def test_a_range_across_block_boundaries_equals_the_slice(rec2000):
    trace = pldat.open(rec2000).traces[1]
    whole = trace.samples
    np.testing.assert_array_equal(trace.read(9990, 20010, channels=[3, 7]), whole[9990:20010, [2, 6]])
    np.testing.assert_array_equal(trace.to_mv(19999, None, channels=16), whole[19999:, [15]] * 6.103515625e-05)
    assert trace.read(24000).shape == (0, 16)


def export_available(cli):
    done = run_cli(cli)
    return b"  export" in done.stderr + done.stdout


@pytest.mark.parametrize("options, traces, scans, channels", [
    ([], [1, 2, 3], (0, 24000), None),
    (["--traces", "2-3", "--ms", "250-750", "--channels", "3,7"], [2, 3], (5000, 15000), [3, 7]),
])
def test_samples_equal_the_programs_short_export(cli, recording, tmp_path, options, traces, scans, channels):
    if not export_available(cli):
        pytest.skip("korin16-cli has no export command yet")
    out = tmp_path / "export"
    done = run_cli(cli, "export", recording, "--format", "short", "--out", out, *options)
    assert done.returncode == 0, done.stderr.decode()
    rec = pldat.open(recording)
    shown = channels or rec.channels
    exported = np.fromfile(f"{out}.bin", dtype="<i2").reshape(-1, len(shown))
    expected = np.concatenate([rec.traces[t - 1].read(*scans, channels=channels) for t in traces])
    np.testing.assert_array_equal(exported, expected)
    header = (tmp_path / "export.hdr").read_bytes().split(b"\r\n")
    assert float(header[0].split(b",")[1]) == rec.conversion_factor
    assert header[1] == b"Active channels," + ",".join(map(str, shown)).encode()


def cut_copy(source, folder, size):
    path = folder / "cut.pldat"
    shutil.copyfile(source, path)
    with open(path, "r+b") as f:
        f.truncate(size)
    return path


def test_a_cut_tail_reads_the_whole_blocks_before_it(rec2000, tmp_path):
    full = pldat.open(rec2000)
    path = cut_copy(rec2000, tmp_path, full.blocks["position"][4] + 1000)
    with pytest.warns(pldat.PldatWarning, match="the last 1000 bytes are a block cut short"):
        rec = pldat.open(path)
    assert len(rec.blocks) == 4 and rec.end == pldat.CUT_TAIL and rec.trailing_bytes == 1000
    assert [t.scans for t in rec.traces] == [24000, 10000]
    np.testing.assert_array_equal(rec.traces[1].samples, full.traces[1].read(0, 10000))


def test_a_block_header_that_makes_no_sense_ends_the_readable_part(rec2000, tmp_path):
    path = tmp_path / "bad.pldat"
    data = bytearray(rec2000.read_bytes())
    position = int(pldat.open(rec2000).blocks["position"][5])
    data[position + 24:position + 28] = (10001).to_bytes(4, "little")  # samples per channel
    path.write_bytes(data)
    with pytest.warns(pldat.PldatWarning, match="makes no sense"):
        rec = pldat.open(path)
    assert len(rec.blocks) == 5 and rec.end == pldat.BAD_HEADER and rec.bad_header_position == position


@pytest.mark.parametrize("case, message", [
    ("empty", "too short to be a recording: 0 bytes"),
    ("garbage", "This is not a readable recording"),
    ("cut in the first block", "holds no whole block: it was cut short after 1000 bytes"),
])
def test_a_broken_file_raises_value_error_naming_the_problem(cli, rec2000, tmp_path, case, message):
    path = tmp_path / "broken.pldat"
    if case == "empty":
        path.write_bytes(b"")
    elif case == "garbage":
        path.write_bytes(np.random.default_rng(5).integers(0, 256, 5000, dtype=np.uint8).tobytes())
    else:
        path = cut_copy(rec2000, tmp_path, 1000)
    with pytest.raises(ValueError, match=message) as raised:
        pldat.open(path)
    status, _, err = cli_info(cli, path)
    assert status == 1 and err.decode() == f"error: {raised.value.reason}\n"


def test_a_manual_stimulation_file_is_one_trace_of_full_blocks(manual_file):
    path, blocks = manual_file
    rec = pldat.open(path)
    assert rec.manual_stimulation and len(rec.traces) == 1
    trace = rec.traces[0]
    assert trace.scans == 30000 and trace.start_s == 0 and trace.step is None
    np.testing.assert_array_equal(trace.samples, np.concatenate(blocks))


def test_channels_beyond_16_are_skipped(tmp_path):
    # Channels 1, 3 and one beyond channel 16: three values per scan, two shown.
    flags = (1, 0, 1) + (0,) * 17 + (1,)
    path = tmp_path / "sparse.pldat"
    (block,) = write_pldat(path, [(0, 0, 0.0, 2000, 1, 1, 0, 255)], 1, 1, 100.0, flags=flags)
    rec = pldat.open(path)
    assert rec.channels == [1, 3] and rec.values_per_scan == 3
    np.testing.assert_array_equal(rec.traces[0].read(channels=[3]), block[:, [1]])


# Hand-made files by (trace count, blocks per trace, duration ms, blocks as
# (scans, last flag), loop, step): manual stimulations of 1000 ms record the two
# blocks the stimulus lasts or one more; a block short inside a trace is broken.
HAND_MADE = {
    "manual 1000 ms, 2 blocks": (1, 3, 1000.0, [(10000, 0)] * 2, 0, 0),
    "manual 1000 ms, 3 blocks": (1, 3, 1000.0, [(10000, 0)] * 3, 0, 0),
    "manual 1000 ms, 1 block": (1, 3, 1000.0, [(10000, 0)], 0, 0),
    "short block inside a trace": (1, 2, 1000.0, [(4000, 0), (10000, 1)], 0, 255),
}


def info_case(case, request, tmp_path):
    """The files `info` is compared on, sound and broken."""
    if case in ("rec2000", "rec10000", "rec_short", "manual_file", "steps_file"):
        value = request.getfixturevalue(case)
        return value[0] if isinstance(value, tuple) else value
    if case in HAND_MADE:
        traces, per_trace, duration, blocks, loop, step = HAND_MADE[case]
        path = tmp_path / "hand.pldat"
        write_pldat(path, [(0, b, 0.0, scans, int(b == 0), last, loop, step) for b, (scans, last) in
                           enumerate(blocks)], traces, per_trace, duration)
        return path
    rec2000 = request.getfixturevalue("rec2000")
    positions = pldat.open(rec2000).blocks["position"]
    path = tmp_path / f"{case}.pldat"
    if case == "cut tail":
        return cut_copy(rec2000, tmp_path, positions[7] + 39 + 5)
    if case == "bad byte count":
        data = bytearray(rec2000.read_bytes())
        data[int(positions[2]) + 35] ^= 1
        path.write_bytes(data)
    elif case == "garbage":
        path.write_bytes(bytes(range(256)) * 4)
    elif case == "empty":
        path.write_bytes(b"")
    elif case == "folder":
        return tmp_path
    return path  # "missing": never written


@pytest.mark.parametrize("as_json", [False, True], ids=["text", "json"])
@pytest.mark.parametrize("case", ["rec2000", "rec10000", "rec_short", "manual_file", "steps_file", *HAND_MADE,
                                  "cut tail", "bad byte count", "garbage", "empty", "missing", "folder"])
def test_python_info_prints_what_the_cli_prints(cli, request, tmp_path, case, as_json):
    path = info_case(case, request, tmp_path)
    args = [sys.executable, "-m", "korin16", "info", str(path)] + (["--json"] if as_json else [])
    ours = subprocess.run(args, capture_output=True, env={**os.environ, "PYTHONPATH": str(REPO / "python")})
    assert (ours.returncode, ours.stdout, ours.stderr) == cli_info(cli, path, as_json)


@pytest.mark.parametrize("case, kind, problems", [
    ("rec2000", "recorded run", []),
    ("rec_short", "recorded run", []),
    ("manual_file", "manual stimulation", []),
    ("manual 1000 ms, 2 blocks", "manual stimulation", []),
    ("manual 1000 ms, 3 blocks", "manual stimulation", []),
    ("manual 1000 ms, 1 block", "manual stimulation",
     ["the manual stimulation holds 1 of the 2 blocks its 1000 ms stimulus lasts: it stopped early"]),
    ("short block inside a trace", "recorded run", ["block 0 holds 4000 samples per channel where 10000 are due"]),
    ("cut tail", "recorded run", ["the last trace holds 1 of its 3 blocks: the recording stopped early",
                                  "the last 44 bytes are a block cut short; they are ignored"]),
])
def test_info_finds_problems_in_broken_files_only(cli, request, tmp_path, case, kind, problems):
    info = info_json(cli, info_case(case, request, tmp_path))
    assert (info["kind"], info["problems"]) == (kind, problems)
