"""Korin16 recordings (.pldat) as NumPy arrays.

    rec = korin16.pldat.open("20220131_09h05m03s.pldat")
    mv = rec.traces[0].to_mv()        # float64 mV, scans x present channels

The file is memory-mapped and its block headers are walked once; samples are
read from the map only when asked for. A file is read by the same rules as
the program's replay: blocks are located by their own headers (so the short
last block of a trace of 1.2 s is found), a tail cut mid-block is ignored, a
block header that makes no sense ends the readable part, and a file that has
no whole block raises PldatError (a ValueError) naming the problem.

The stimulation log beside the file (STEM_stimulation.csv) is read with it:
`rec.stimulation` holds its rows, None when there is no log or a damaged one
(a PldatWarning names the bad line); a last line cut off without its line end
is dropped with a PldatWarning, and `rec.stimulation_cut_tail` is True.
"""

import datetime
import math
import mmap
import os
import stat
import struct
import warnings

import numpy as np

from . import stimulation_log

SAMPLE_RATE = 20000.0  # Hz: the program reads every file at this rate
BLOCK_MS = 500.0
BLOCK_SCANS = 10000  # scans of a full block
READS_PER_BLOCK = 10
SCANS_PER_READ = 1000
READ_SECONDS = 0.05000000074505806  # a 50 ms read as single precision holds 0.05
FILE_HEADER_BYTES = 123
BLOCK_HEADER_BYTES = 39
CHANNEL_FLAGS = 64
SHOWN_CHANNELS = 16  # channels 1-16 are shown; values of channels beyond are skipped
NO_STEP = 255
MIN_FILE_BYTES = FILE_HEADER_BYTES + BLOCK_HEADER_BYTES

# Little-endian, no padding.
_FILE_HEADER = struct.Struct("<iiBdddd64shBBihq")
_BLOCK_HEADER = struct.Struct("<iiddiBBiBi")
assert _FILE_HEADER.size == FILE_HEADER_BYTES and _BLOCK_HEADER.size == BLOCK_HEADER_BYTES

# One row per whole block, in file order; `position` is the header's byte offset.
BLOCK_DTYPE = np.dtype([
    ("trace", "<i4"),  # 0-based trace index as stored
    ("block", "<i4"),  # 0-based block index within the trace
    ("trace_start_ms", "<f8"),  # start of the block's trace in the run
    ("block_offset_ms", "<f8"),
    ("samples", "<i4"),  # scans in the block
    ("first", "u1"),
    ("last", "u1"),
    ("loop", "<i4"),
    ("step", "u1"),  # 0 step 1, 1 step 2, 255 no step
    ("sample_bytes", "<i4"),
    ("position", "<i8"),
])

# How the readable part of a file ends.
FILE_END = "file end"  # the last block ends exactly at the end of the file
CUT_TAIL = "cut tail"  # bytes after the last whole block: a block cut short
BAD_HEADER = "bad header"  # a block header that makes no sense; nothing after it is read


def reads_for_remaining(remaining_s):
    """Reads of the block that starts with `remaining_s` seconds of its trace
    left, as the writer counts them: halves to even, 0 to READS_PER_BLOCK."""
    n = round(remaining_s / READ_SECONDS)
    return min(max(n, 0), READS_PER_BLOCK)


class PldatError(ValueError):
    """A file that cannot be read as a recording. `reason` is the message
    without the path, as the program's own reader words it."""

    def __init__(self, path, reason):
        super().__init__(f"{path}: {reason}")
        self.path = path
        self.reason = reason


class PldatWarning(UserWarning):
    """A recording readable only up to a point (the bytes after it are
    ignored), or a damaged stimulation log (ignored as a whole)."""


def _file_header_problem(h):
    if h.trace_count <= 0:
        return f"its trace count is {h.trace_count}"
    if h.blocks_per_trace <= 0:
        return f"its block count per trace is {h.blocks_per_trace}"
    if not math.isfinite(h.trace_duration_ms) or h.trace_duration_ms < 0:
        return "its trace duration is %g ms" % h.trace_duration_ms
    if not math.isfinite(h.conversion_factor) or h.conversion_factor <= 0:
        return "its conversion factor is %g mV per count" % h.conversion_factor
    if h.values_per_scan == 0:
        return "no channel is marked present"
    return ""


def _block_header_problem(samples, sample_bytes, present):
    if samples < 0 or samples > BLOCK_SCANS:
        return f"it holds {samples} samples per channel (0 to {BLOCK_SCANS} possible)"
    expected = samples * present * 2
    if sample_bytes != expected:
        return (f"its byte count {sample_bytes} does not match {samples} samples of {present} channels "
                f"({expected} bytes)")
    return ""


class Trace:
    """The consecutive blocks of one trace index. Sample arrays are scans x
    present channels (the columns are `Recording.channels`, ascending)."""

    def __init__(self, recording, first_block, end_block):
        self.recording = recording
        self.blocks = recording.blocks[first_block:end_block]
        first = self.blocks[0]
        self.index = int(first["trace"])  # 0-based, as stored
        self.number = self.index + 1
        self.start_ms = float(first["trace_start_ms"])
        self.start_s = self.start_ms / 1000.0
        self.loop = int(first["loop"])
        # Stimulation step 1 or 2 of the trace, None when none was enabled or
        # for a manual stimulation.
        stored = int(first["step"])
        self.step = None if stored == NO_STEP or recording.manual_stimulation else stored + 1
        self._first_block = first_block
        self._ends = np.cumsum(self.blocks["samples"], dtype=np.int64)
        self.scans = int(self._ends[-1]) if len(self._ends) else 0
        self.duration_s = self.scans / SAMPLE_RATE

    @property
    def stimulation(self):
        """The stimulation log's rows of this trace, None when the file has no
        sound log."""
        rows = self.recording.stimulation
        return None if rows is None else rows[rows["trace"] == self.number]

    def __repr__(self):
        return f"<Trace {self.number}: {len(self.blocks)} blocks, {self.scans} scans from {self.start_s} s>"

    def __len__(self):
        return self.scans

    @property
    def samples(self):
        """Counts, int16, scans x channels: a read-only view of the map when the
        trace is one block, otherwise a copy of this trace's samples only."""
        if len(self.blocks) == 1:
            return self.recording.block_counts(self._first_block)
        return self.read()

    def times(self, start=0, stop=None):
        """Sample times in seconds since the start of the run."""
        start, stop = self._range(start, stop)
        return self.start_s + np.arange(start, stop) / SAMPLE_RATE

    def read(self, start=0, stop=None, channels=None):
        """Counts, int16, of scans start <= k < stop of the trace and the given
        channel numbers (1-16; all present channels when None)."""
        return self._gather(start, stop, self.recording._columns(channels), np.int16, None)

    def to_mv(self, start=0, stop=None, channels=None):
        """As read(), in mV (float64): count x conversion factor."""
        return self._gather(start, stop, self.recording._columns(channels), np.float64,
                            self.recording.conversion_factor)

    def _range(self, start, stop):
        start, stop, _ = slice(start, stop).indices(self.scans)
        return start, max(start, stop)

    def _gather(self, start, stop, columns, dtype, factor):
        start, stop = self._range(start, stop)
        width = len(range(*columns.indices(len(self.recording.channels)))) if isinstance(columns, slice) \
            else len(columns)
        out = np.empty((stop - start, width), dtype=dtype)
        if stop == start:
            return out
        # Blocks overlapping [start, stop): block j covers [ends[j-1], ends[j]).
        j = int(np.searchsorted(self._ends, start, side="right"))
        filled = 0
        while filled < stop - start:
            block_start = int(self._ends[j - 1]) if j else 0
            a = start + filled - block_start
            b = min(int(self._ends[j]), stop) - block_start
            part = self.recording.block_counts(self._first_block + j)[a:b, columns]
            target = out[filled:filled + (b - a)]
            if factor is None:
                target[...] = part
            else:
                np.multiply(part, factor, out=target, dtype=np.float64)
            filled += b - a
            j += 1
        return out


class Recording:
    """One opened .pldat file: its file header fields, its whole blocks
    (`blocks`, a structured array of BLOCK_DTYPE), its traces and its
    stimulation log (`stimulation`, a structured array of
    stimulation_log.DTYPE; `stimulation_path` the log's path when one exists,
    `stimulation_problem` what is wrong with it, `stimulation_cut_tail` True
    when its cut-off last line was dropped)."""

    def __init__(self, path):
        self.path = os.fspath(path)
        self._mmap = None
        fd = os.open(self.path, os.O_RDONLY | getattr(os, "O_BINARY", 0))
        try:
            info = os.fstat(fd)
            if not stat.S_ISREG(info.st_mode):
                raise PldatError(self.path, f'Cannot open "{self.path}": it is not a regular file.')
            self.file_bytes = info.st_size
            if self.file_bytes < MIN_FILE_BYTES:
                raise PldatError(self.path, (
                    f"The file is too short to be a recording: {self.file_bytes} bytes, where a file header "
                    f"and a first block header need {MIN_FILE_BYTES}."))
            self._mmap = mmap.mmap(fd, 0, access=mmap.ACCESS_READ)
        finally:
            os.close(fd)
        try:
            self._parse_headers()
            self._index_blocks()
        except Exception:
            self.close()
            raise
        self._read_stimulation_log()

    # --- layout -------------------------------------------------------------

    def _parse_headers(self):
        (trace_count, blocks_per_trace, fixed_byte, sampling_rate, duration, input_range, factor, flags,
         year, month, day, time_of_day, zone, ticks) = _FILE_HEADER.unpack_from(self._mmap, 0)
        self.trace_count = trace_count
        self.blocks_per_trace = blocks_per_trace
        self.fixed_byte = fixed_byte
        self.sampling_rate_stored = sampling_rate  # the program reads at SAMPLE_RATE whatever it says
        self.trace_duration_ms = duration
        self.input_range_uv = input_range
        self.conversion_factor = factor  # mV per count
        self.channel_flags = np.frombuffer(flags, dtype=np.uint8)
        self.values_per_scan = int(np.count_nonzero(self.channel_flags == 1))
        # Scan positions follow the flags in channel order, so channels 1-16
        # come first: the shown channels are the first values of every scan.
        self.channels = [c + 1 for c in range(SHOWN_CHANNELS) if flags[c] == 1]
        self.year, self.month, self.day = year, month, day
        self.time_of_day_ms = time_of_day
        self.time_zone_minutes = zone
        self.start_ticks = ticks  # 100 ns ticks since 0001-01-01
        problem = _file_header_problem(self)
        if problem:
            raise PldatError(self.path, f"This is not a readable recording: {problem}.")
        first = _BLOCK_HEADER.unpack_from(self._mmap, FILE_HEADER_BYTES)
        problem = _block_header_problem(first[4], first[9], self.values_per_scan)  # scans, sample bytes
        if problem:
            raise PldatError(self.path,
                             f"This is not a readable recording: the first block header makes no sense, {problem}.")

    def _index_blocks(self):
        rows = []
        length = self.file_bytes
        position = FILE_HEADER_BYTES
        present = self.values_per_scan
        unpack = _BLOCK_HEADER.unpack_from
        self.end = FILE_END
        self.bad_header_position = None
        self.bad_header_reason = ""
        # One header every 320 kB: read-ahead around each would pull most of
        # the file in when it is not cached yet.
        self._advise("MADV_RANDOM")
        while position < length:
            if length - position < BLOCK_HEADER_BYTES:
                self.end = CUT_TAIL
                break
            header = unpack(self._mmap, position)
            problem = _block_header_problem(header[4], header[9], present)
            if problem:
                self.end = BAD_HEADER
                self.bad_header_position = position
                self.bad_header_reason = problem
                break
            size = BLOCK_HEADER_BYTES + header[9]
            if length - position < size:
                self.end = CUT_TAIL
                break
            rows.append(header + (position,))
            position += size
        self._advise("MADV_NORMAL")
        self.trailing_bytes = length - position if length > position else 0
        if not rows:
            raise PldatError(self.path, f"The recording holds no whole block: it was cut short after {length} bytes.")
        self.blocks = np.array(rows, dtype=BLOCK_DTYPE)
        first = self.blocks[0]
        # Manual-stimulation files carry loop 0 with step 0; a run without
        # steps writes loop 0 with step 255.
        self.manual_stimulation = bool(first["loop"] == 0 and first["step"] == 0)
        self.step_max = self._count_steps()
        self.traces = self._split_traces()
        if self.end == CUT_TAIL:
            warnings.warn(PldatWarning(
                f"{self.path}: the last {self.trailing_bytes} bytes are a block cut short; they are ignored"),
                stacklevel=4)
        elif self.end == BAD_HEADER:
            warnings.warn(PldatWarning(
                f"{self.path}: the block header at byte {self.bad_header_position} makes no sense "
                f"({self.bad_header_reason}); the {self.trailing_bytes} bytes from there on are not read"),
                stacklevel=4)

    def _read_stimulation_log(self):
        # The samples stand on their own: a missing or damaged log leaves
        # `stimulation` None and the recording as readable as before.
        path = stimulation_log.path_for(self.path)
        log = stimulation_log.read(path)
        self.stimulation, self.stimulation_problem = log
        self.stimulation_cut_tail = log.cut_tail and self.stimulation is not None
        self.stimulation_path = path if self.stimulation is not None or self.stimulation_problem else None
        if self.stimulation_problem:
            warnings.warn(PldatWarning(f"{self.path}: stimulation log {self.stimulation_problem}"), stacklevel=4)
        elif self.stimulation_cut_tail:
            warnings.warn(PldatWarning(f"{self.path}: stimulation log's last line has no line end (a write cut "
                                       f"off); it is dropped"), stacklevel=4)

    def _advise(self, name):
        if hasattr(self._mmap, "madvise") and hasattr(mmap, name):
            self._mmap.madvise(getattr(mmap, name))

    def _count_steps(self):
        # Traces of the first pass through the stimulation steps, walked as
        # the program walks them: ends at the first block of loop 2, in a file
        # without steps, or after one trace of a single-trace file.
        step_max = walk_block = walk_trace = 0
        for loop, step in zip(self.blocks["loop"].tolist(), self.blocks["step"].tolist()):
            if walk_trace >= self.trace_count or loop == 0 or loop == 2:
                break
            if walk_block == 0:
                step_max += 1
            if step == NO_STEP or self.trace_count == 1:
                break
            walk_block += 1
            if walk_block == self.blocks_per_trace:
                walk_block = 0
                walk_trace += 1
        return step_max

    def _split_traces(self):
        trace_index = self.blocks["trace"]
        starts = np.flatnonzero(np.diff(trace_index)) + 1
        bounds = [0, *starts.tolist(), len(trace_index)]
        return [Trace(self, a, b) for a, b in zip(bounds[:-1], bounds[1:])]

    # --- samples ------------------------------------------------------------

    def block_counts(self, n):
        """Counts of block n (0-based over the file), int16, scans x channels:
        a read-only view of the memory map."""
        row = self.blocks[n]
        scans = int(row["samples"])
        if scans == 0:
            return np.empty((0, len(self.channels)), dtype="<i2")
        values = np.frombuffer(self._mmap, dtype="<i2", count=scans * self.values_per_scan,
                               offset=int(row["position"]) + BLOCK_HEADER_BYTES)
        return values.reshape(scans, self.values_per_scan)[:, :len(self.channels)]

    def _columns(self, channels):
        if channels is None:
            return slice(None)
        if isinstance(channels, (int, np.integer)):
            channels = [channels]
        columns = []
        for c in channels:
            if c not in self.channels:
                raise ValueError(f"channel {c} is not present in {self.path} (present: {self.channels})")
            columns.append(self.channels.index(c))
        return columns

    # --- convenience ----------------------------------------------------------

    @property
    def start(self):
        """Start of the run as a naive local datetime, None if the fields are not a date."""
        try:
            return datetime.datetime(self.year, self.month, self.day) + datetime.timedelta(
                milliseconds=self.time_of_day_ms)
        except (ValueError, OverflowError):
            return None

    @property
    def whole_blocks(self):
        return len(self.blocks)

    def close(self):
        """Releases the map once no array taken from it is alive any more."""
        if self._mmap is not None:
            try:
                self._mmap.close()
            except BufferError:
                pass  # views still use it; it closes when they are gone
            self._mmap = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __repr__(self):
        return (f"<Recording {self.path}: {len(self.traces)} traces, {len(self.blocks)} blocks, "
                f"channels {self.channels}, {self.input_range_uv:g} uV>")


def open(path):  # noqa: A001 - the module's entry point reads as pldat.open
    """Opens a recording; PldatError (a ValueError) if it cannot be read."""
    return Recording(path)
