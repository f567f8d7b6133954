import shutil

import numpy as np
import pytest
import quantities as pq

from conftest import LOG_HEADER, write_log
from korin16 import pldat
from korin16.neo_io import Korin16IO, Korin16RawIO


def test_read_block_gives_one_segment_per_trace_in_mv(rec2000):
    rec = pldat.open(rec2000)
    block = Korin16IO(rec2000).read_block()
    assert [s.name for s in block.segments] == ["trace 1", "trace 2", "trace 3"]
    for segment, trace, start_s in zip(block.segments, rec.traces, [0, 2, 4]):
        (signal,) = segment.analogsignals
        assert signal.t_start == start_s * pq.s
        assert signal.sampling_rate == 20 * pq.kHz
        assert signal.units == pq.mV and signal.shape == (24000, 16)
        assert signal.array_annotations["channel_names"].tolist() == [f"ch{c}" for c in range(1, 17)]
        np.testing.assert_array_equal(signal.rescale("mV").magnitude, trace.to_mv())
        (starts, steps, stimuli) = segment.events
        assert starts.times.tolist() == [start_s] and starts.labels.tolist() == [f"trace {trace.number}"]
        assert len(steps) == 0 and len(stimuli) == 0


@pytest.mark.parametrize("seg_index, i_start, i_stop, channel_indexes", [
    (0, 9990, 10010, [0, 5]),  # full block into full block
    (1, 19990, 20010, None),  # into the short last block
    (2, 0, 24000, [15]),
])
def test_a_chunk_equals_the_numpy_slice(rec2000, seg_index, i_start, i_stop, channel_indexes):
    raw = Korin16RawIO(rec2000)
    raw.parse_header()
    chunk = raw.get_analogsignal_chunk(seg_index=seg_index, i_start=i_start, i_stop=i_stop,
                                       channel_indexes=channel_indexes)
    columns = slice(None) if channel_indexes is None else channel_indexes
    expected = pldat.open(rec2000).traces[seg_index].samples[i_start:i_stop, columns]
    np.testing.assert_array_equal(chunk, expected)
    assert chunk.dtype == np.int16
    assert raw.get_signal_size(0, seg_index) == 24000


def test_stimulation_events_carry_step_and_loop(steps_file):
    block = Korin16IO(steps_file[0]).read_block()
    labels = [s.events[1].labels.tolist() for s in block.segments]
    assert labels == [["step 1, loop 1"], ["step 2, loop 1"], ["step 1, loop 2"]]
    assert [s.events[1].times.tolist() for s in block.segments] == [[0.0], [3.0], [6.0]]
    assert [(s.annotations["step"], s.annotations["loop"]) for s in block.segments] == [(1, 1), (2, 1), (1, 2)]


def test_a_manual_stimulation_is_labelled_so(manual_file):
    path, _ = manual_file
    write_log(path, [(1, "M", 0, 0.0, "S2", 9, p, 5.0 * p, "Const", 0.5, 40.0, True) for p in (1, 2)])
    (segment,) = Korin16IO(path).read_block().segments
    assert segment.events[1].labels.tolist() == ["manual stimulation"]
    assert segment.events[2].times.tolist() == [0.005, 0.01]
    assert segment.events[2].labels.tolist() == ["S2 e9 40 uA"] * 2
    assert segment.analogsignals[0].shape == (30000, 16)


# Rows of traces 1 and 3 and of a trace 4 the recording does not hold.
STIMULUS_ROWS = [
    (1, "1", 1, 0.0, "S1", 5, 1, 10.0, "Biphasic", 0.2, -10.0, True),
    (1, "1", 1, 0.0, "S2", 0, 1, 0.05, "Const", 1.5, 100.5, False),
    (3, "1", 2, 4.0, "S1", 16, 2, 1199.95, "Biphasic", 0.2, -12.5, True),
    (4, "2", 2, 6.0, "S1", 5, 1, 10.0, "Biphasic", 0.2, -10.0, True),
]


def test_stimulus_events_equal_the_logs_rows(rec2000, tmp_path):
    path = tmp_path / rec2000.name
    shutil.copyfile(rec2000, path)  # a log of its own beside a copy
    write_log(path, STIMULUS_ROWS)
    block = Korin16IO(path).read_block()
    for segment, start_s in zip(block.segments, [0.0, 2.0, 4.0]):
        rows = [r for r in STIMULUS_ROWS if r[0] == segment.annotations["trace"]]
        stimuli = segment.events[2]
        assert stimuli.name == "stimulus"
        assert stimuli.times.rescale("s").magnitude.tolist() == [start_s + r[7] / 1000.0 for r in rows]
        assert stimuli.labels.tolist() == [f"{r[4]} e{r[5]} {r[10]:g} uA" for r in rows]
        annotations = stimuli.array_annotations
        assert {name: annotations[name].tolist() for name in annotations} == {
            "output": [r[4] for r in rows], "electrode": [r[5] for r in rows],
            "intensity_ua": [r[10] for r in rows], "duration_ms": [r[9] for r in rows],
            "type": [r[8] for r in rows], "played": [r[11] for r in rows]}
    assert [len(s.events[2]) for s in block.segments] == [2, 0, 1]


@pytest.mark.parametrize("lines", [None, [LOG_HEADER, "1,1"]], ids=["no log", "damaged log"])
def test_no_stimulus_events_without_a_sound_log(steps_file, lines):
    path, _ = steps_file
    if lines:
        write_log(path, lines=lines)
        with pytest.warns(pldat.PldatWarning, match="stimulation log line 2: 2 fields"):
            block = Korin16IO(path).read_block()
    else:
        block = Korin16IO(path).read_block()
    assert [len(s.events[2]) for s in block.segments] == [0, 0, 0]
    assert [len(s.events[1]) for s in block.segments] == [1, 1, 1]


def test_a_broken_file_raises_value_error(tmp_path):
    path = tmp_path / "empty.pldat"
    path.write_bytes(b"")
    with pytest.raises(ValueError, match="too short to be a recording"):
        Korin16IO(path)
