import numpy as np
import pytest
import quantities as pq

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
        (starts, steps) = segment.events
        assert starts.times.tolist() == [start_s] and starts.labels.tolist() == [f"trace {trace.number}"]
        assert len(steps) == 0


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
    (segment,) = Korin16IO(manual_file[0]).read_block().segments
    assert segment.events[1].labels.tolist() == ["manual stimulation"]
    assert segment.analogsignals[0].shape == (30000, 16)


def test_a_broken_file_raises_value_error(tmp_path):
    path = tmp_path / "empty.pldat"
    path.write_bytes(b"")
    with pytest.raises(ValueError, match="too short to be a recording"):
        Korin16IO(path)
