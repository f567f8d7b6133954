"""Korin16 recordings (.pldat) for Neo (written against neo 0.11).

    from korin16.neo_io import Korin16IO
    block = Korin16IO("20220131_09h05m03s.pldat").read_block()

One Neo block per file, one segment per trace with t_start at the trace's
start in the run, one signal stream ("electrodes") of the present channels
at 20 kHz: raw samples are the int16 counts, gain is the file's conversion
factor and units are mV. Three event channels: "trace start" (one event per
segment, labelled "trace N"), "stimulation" (one event at the trace start
labelled "step S, loop L", or "manual stimulation"; none for a trace without
stimulation steps) and "stimulus" (one event per row of the stimulation log at
the pulse's onset, labelled "S1 e5 -10 uA", with array annotations `output`,
`electrode`, `intensity_ua`, `duration_ms`, `type` and `played`; none without
a sound log). Event times are in s on the segment's time line.
"""

import numpy as np
from neo.io.basefromrawio import BaseFromRaw
from neo.rawio.baserawio import (BaseRawIO, _event_channel_dtype, _signal_channel_dtype, _signal_stream_dtype,
                                 _spike_channel_dtype)

from . import pldat, stimulation_log
from .info import number

STREAM_ID = "0"
TRACE_START_EVENTS = 0
STIMULATION_EVENTS = 1
STIMULUS_EVENTS = 2
# Log columns carried by each stimulus event.
STIMULUS_ANNOTATIONS = ("output", "electrode", "intensity_ua", "duration_ms", "type", "played")


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
                                   ("stimulation", "stimulation", "event"),
                                   ("stimulus", "stimulus", "event")], dtype=_event_channel_dtype)
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
            # The event channels' annotation dicts are shared by all segments:
            # each segment gets a dict of its own for its own rows.
            rows = self._stimulus_rows(trace)
            events = segment["events"]
            events[STIMULUS_EVENTS] = {**events[STIMULUS_EVENTS], "__array_annotations__": {
                name: rows[name].copy() for name in STIMULUS_ANNOTATIONS}}

    @staticmethod
    def _stimulus_rows(trace):
        rows = trace.stimulation
        return rows if rows is not None else np.empty(0, dtype=stimulation_log.DTYPE)

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
        """(time in s, label) of each event, in the order of its annotations."""
        trace = self._trace(seg_index)
        if event_channel_index == TRACE_START_EVENTS:
            return [(trace.start_s, f"trace {trace.number}")]
        if event_channel_index == STIMULUS_EVENTS:
            rows = self._stimulus_rows(trace)
            return [(trace.start_s + onset_ms / 1000.0, f"{output} e{electrode} {number(intensity)} uA")
                    for onset_ms, output, electrode, intensity in
                    zip(*(rows[f].tolist() for f in ("onset_ms", "output", "electrode", "intensity_ua")))]
        if self.recording.manual_stimulation:
            return [(trace.start_s, "manual stimulation")]
        if trace.step is None:
            return []
        return [(trace.start_s, f"step {trace.step}, loop {trace.loop}")]

    def _event_count(self, block_index, seg_index, event_channel_index):
        return len(self._events(seg_index, event_channel_index))

    def _get_event_timestamps(self, block_index, seg_index, event_channel_index, t_start, t_stop):
        events = [(s, label) for s, label in self._events(seg_index, event_channel_index)
                  if (t_start is None or s >= t_start) and (t_stop is None or s <= t_stop)]
        timestamps = np.array([s for s, _ in events], dtype=np.float64)
        labels = np.array([label for _, label in events], dtype=str)  # as wide as the longest
        return timestamps, None, labels

    def _rescale_event_timestamp(self, event_timestamps, dtype, event_channel_index=0):
        # Neo's event proxy asks without naming the channel, so every channel
        # keeps its times in s already.
        return event_timestamps.astype(dtype)


class Korin16IO(Korin16RawIO, BaseFromRaw):
    """Neo IO of a .pldat recording: Korin16IO(path).read_block()."""

    _prefered_signal_group_mode = "group-by-same-units"

    def __init__(self, filename):
        Korin16RawIO.__init__(self, filename=filename)
        BaseFromRaw.__init__(self, filename)
