"""Korin16 recordings (.pldat) for Neo (written against neo 0.11).

    from korin16.neo_io import Korin16IO
    block = Korin16IO("20220131_09h05m03s.pldat").read_block()

One Neo block per file, one segment per trace with t_start at the trace's
start in the run, one signal stream ("electrodes") of the present channels
at 20 kHz: raw samples are the int16 counts, gain is the file's conversion
factor and units are mV. Two event channels: "trace start" (one event per
segment, labelled "trace N") and "stimulation" (one event at the trace start
labelled "step S, loop L", or "manual stimulation"; none for a trace without
stimulation steps). Event times are kept in ms as stored and rescaled to s.
"""

import numpy as np
from neo.io.basefromrawio import BaseFromRaw
from neo.rawio.baserawio import (BaseRawIO, _event_channel_dtype, _signal_channel_dtype, _signal_stream_dtype,
                                 _spike_channel_dtype)

from . import pldat

STREAM_ID = "0"
TRACE_START_EVENTS = 0
STIMULATION_EVENTS = 1


class Korin16RawIO(BaseRawIO):
    """Raw access to a .pldat recording; samples come from the memory map."""

    extensions = ["pldat"]
    rawmode = "one-file"
    name = "Korin16RawIO"
    description = "Korin16 recording (.pldat)"

    def __init__(self, filename=""):
        BaseRawIO.__init__(self)
        self.filename = str(filename)
        self.recording = None

    def _source_name(self):
        return self.filename

    def _parse_header(self):
        rec = self.recording = pldat.open(self.filename)
        signal_channels = np.array(
            [(f"ch{c}", str(c), pldat.SAMPLE_RATE, "int16", "mV", rec.conversion_factor, 0.0, STREAM_ID)
             for c in rec.channels], dtype=_signal_channel_dtype)
        event_channels = np.array([("trace start", "trace_start", "event"),
                                   ("stimulation", "stimulation", "event")], dtype=_event_channel_dtype)
        self.header = {
            "nb_block": 1,
            "nb_segment": [len(rec.traces)],
            "signal_streams": np.array([("electrodes", STREAM_ID)], dtype=_signal_stream_dtype),
            "signal_channels": signal_channels,
            "spike_channels": np.array([], dtype=_spike_channel_dtype),
            "event_channels": event_channels,
        }
        self._generate_minimal_annotations()
        block = self.raw_annotations["blocks"][0]
        block["name"] = self.filename
        block["rec_datetime"] = rec.start
        block["input_range_uv"] = rec.input_range_uv
        block["manual_stimulation"] = rec.manual_stimulation
        for trace, segment in zip(rec.traces, block["segments"]):
            segment["name"] = f"trace {trace.number}"
            segment["trace"] = trace.number
            segment["step"] = trace.step
            segment["loop"] = trace.loop

    def _trace(self, seg_index):
        return self.recording.traces[seg_index]

    def _segment_t_start(self, block_index, seg_index):
        return self._trace(seg_index).start_s

    def _segment_t_stop(self, block_index, seg_index):
        trace = self._trace(seg_index)
        return trace.start_s + trace.duration_s

    def _get_signal_size(self, block_index, seg_index, stream_index):
        assert stream_index == 0
        return self._trace(seg_index).scans

    def _get_signal_t_start(self, block_index, seg_index, stream_index):
        assert stream_index == 0
        return self._trace(seg_index).start_s

    def _get_analogsignal_chunk(self, block_index, seg_index, i_start, i_stop, stream_index, channel_indexes):
        assert stream_index == 0
        if channel_indexes is None:
            columns = slice(None)
        elif isinstance(channel_indexes, slice):
            columns = channel_indexes
        else:
            columns = np.asarray(channel_indexes, dtype=np.intp).tolist()
        return self._trace(seg_index)._gather(i_start, i_stop, columns, np.int16, None)

    def _events(self, seg_index, event_channel_index):
        trace = self._trace(seg_index)
        if event_channel_index == TRACE_START_EVENTS:
            return [(trace.start_ms, f"trace {trace.number}")]
        if self.recording.manual_stimulation:
            return [(trace.start_ms, "manual stimulation")]
        if trace.step is None:
            return []
        return [(trace.start_ms, f"step {trace.step}, loop {trace.loop}")]

    def _event_count(self, block_index, seg_index, event_channel_index):
        return len(self._events(seg_index, event_channel_index))

    def _get_event_timestamps(self, block_index, seg_index, event_channel_index, t_start, t_stop):
        events = [(ms, label) for ms, label in self._events(seg_index, event_channel_index)
                  if (t_start is None or ms >= t_start * 1000.0) and (t_stop is None or ms <= t_stop * 1000.0)]
        timestamps = np.array([ms for ms, _ in events], dtype=np.float64)
        labels = np.array([label for _, label in events], dtype="U32")
        return timestamps, None, labels

    def _rescale_event_timestamp(self, event_timestamps, dtype, event_channel_index=0):
        return event_timestamps.astype(dtype) / 1000.0  # stored in ms


class Korin16IO(Korin16RawIO, BaseFromRaw):
    """Neo IO of a .pldat recording: Korin16IO(path).read_block()."""

    _prefered_signal_group_mode = "group-by-same-units"

    def __init__(self, filename):
        Korin16RawIO.__init__(self, filename=filename)
        BaseFromRaw.__init__(self, filename)
