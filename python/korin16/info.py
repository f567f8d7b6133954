"""The summary of a recording that `korin16-cli info` prints, text and JSON,
worded and formatted the same so the two can be compared byte for byte."""

import decimal
import math
import os
import warnings

from . import pldat, stimulation_log


def number(v):
    """A double as the shortest text that reads back exactly, fixed notation
    unless scientific is shorter ("20000", "6.103515625e-05"); "null" when
    not finite."""
    if not math.isfinite(v):
        return "null"
    sign, digits, exponent = decimal.Decimal(repr(float(v))).as_tuple()
    digits = list(digits)
    while len(digits) > 1 and digits[-1] == 0:
        digits.pop()
        exponent += 1
    minus = "-" if sign else ""
    if digits == [0]:
        return minus + "0"
    text = "".join(map(str, digits))
    if exponent >= 0:
        fixed = text + "0" * exponent
    elif len(text) + exponent > 0:
        point = len(text) + exponent
        fixed = text[:point] + "." + text[point:]
    else:
        fixed = "0." + "0" * -(len(text) + exponent) + text
    power = exponent + len(text) - 1
    scientific = text[0] + ("." + text[1:] if len(text) > 1 else "") + ("e-" if power < 0 else "e+") + \
        "%02d" % abs(power)
    return minus + (fixed if len(fixed) <= len(scientific) else scientific)


def _cdiv(a, b):  # integer division truncating toward zero
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b > 0) else -q


def _cmod(a, b):
    return a - b * _cdiv(a, b)


def start_text(rec):
    ms = rec.time_of_day_ms
    return "%04d-%02d-%02d %02d:%02d:%02d.%03d" % (rec.year, rec.month, rec.day, _cdiv(ms, 3600000),
                                                   _cmod(_cdiv(ms, 60000), 60), _cmod(_cdiv(ms, 1000), 60),
                                                   _cmod(ms, 1000))


def channel_ranges(channels):
    """ "1-16" or "1, 2, 4-16"."""
    parts = []
    i = 0
    while i < len(channels):
        j = i
        while j + 1 < len(channels) and channels[j + 1] == channels[j] + 1:
            j += 1
        parts.append(str(channels[i]) + (f"-{channels[j]}" if j > i else ""))
        i = j + 1
    return ", ".join(parts) if parts else "none"


class Summary:
    def __init__(self):
        self.groups = []  # [first trace, last trace, blocks, [(samples, blocks), ...]], 0-based traces
        self.traces = 0
        self.steps = []
        self.first_loop = 0
        self.last_loop = 0
        self.problems = {}  # kind -> [first text, count], in order of first occurrence

    def problem(self, kind, text):
        if kind in self.problems:
            self.problems[kind][1] += 1
        else:
            self.problems[kind] = [text, 1]

    def problem_texts(self):
        return [text + (f" (and {count - 1} more like it)" if count > 1 else "")
                for text, count in self.problems.values()]

    def close_trace(self, trace):
        if self.groups:
            last = self.groups[-1]
            if last[1] + 1 == trace[0] and last[3] == trace[3]:
                last[1] = trace[0]
                return
        self.groups.append(trace)


def _nominal_blocks(rec):
    """Blocks per trace the file header should give: a run's trace takes a
    block per started 500 ms; a manual stimulation's header gives its whole
    500 ms spans plus one, the block in which the stimulus ends."""
    if rec.manual_stimulation:
        return float(math.floor(math.trunc(rec.trace_duration_ms) / pldat.BLOCK_MS) + 1)
    return float(math.ceil(rec.trace_duration_ms / pldat.BLOCK_MS))


def _due_scans(rec, block_index):
    """Scans the writer puts in a block: a full block, or the reads left of the
    trace's duration in its last block. Manual blocks are full."""
    if rec.manual_stimulation:
        return pldat.BLOCK_SCANS
    remaining_ms = rec.trace_duration_ms - pldat.BLOCK_MS * block_index
    return pldat.reads_for_remaining(remaining_ms / 1000.0) * pldat.SCANS_PER_READ


def summarise(rec):
    s = Summary()
    nominal = _nominal_blocks(rec)
    if nominal != rec.blocks_per_trace:
        what = "blocks for a manual stimulation of" if rec.manual_stimulation else "blocks per trace for traces of"
        s.problem("nominal", f"the file header gives {rec.blocks_per_trace} {what} "
                             f"{number(rec.trace_duration_ms)} ms ({number(nominal)} expected)")
    if rec.values_per_scan > len(rec.channels):
        s.problem("extra channels", f"{rec.values_per_scan - len(rec.channels)} channels beyond channel 16 are "
                                    f"present; their samples are skipped")
    trace = None
    last_block_index = -1
    steps_used = set()
    blocks = rec.blocks
    columns = [blocks[f].tolist() for f in ("trace", "block", "first", "samples", "step", "loop")]
    for n, (t, b, first, samples, step, loop) in enumerate(zip(*columns)):
        if trace is None or t != trace[0]:
            if trace is not None:
                if t != trace[0] + 1:
                    s.problem("trace order", f"block {n} belongs to trace index {t} after trace index {trace[0]}")
                if not rec.manual_stimulation and trace[2] != rec.blocks_per_trace:
                    s.problem("trace length", f"trace index {trace[0]} has {trace[2]} blocks, the file header "
                                              f"says {rec.blocks_per_trace}")
                s.close_trace(trace)
            elif t != 0:
                s.problem("trace order", f"the first block belongs to trace index {t}")
            trace = [t, t, 0, []]
            last_block_index = -1
            s.traces += 1
        if b != last_block_index + 1:
            s.problem("block order", f"block {n} has block index {b} where {last_block_index + 1} was due")
        if (first == 1) != (b == 0):
            s.problem("first flag", f"block {n} has first-block flag {first} with block index {b}")
        last_block_index = b
        trace[2] += 1
        runs = trace[3]
        if runs and runs[-1][0] == samples:
            runs[-1][1] += 1
        else:
            runs.append([samples, 1])
        due = _due_scans(rec, b)
        if samples != due:
            s.problem("block size", f"block {n} holds {samples} samples per channel where {due} are due")
        if not rec.manual_stimulation:
            steps_used.add(step)
        if loop != 0:
            if s.first_loop == 0 or loop < s.first_loop:
                s.first_loop = loop
            s.last_loop = max(s.last_loop, loop)
    if trace is not None:
        if rec.manual_stimulation:
            due = float(math.ceil(rec.trace_duration_ms / pldat.BLOCK_MS))
            if trace[2] < due:
                s.problem("incomplete", f"the manual stimulation holds {trace[2]} of the {number(due)} blocks its "
                                        f"{number(rec.trace_duration_ms)} ms stimulus lasts: it stopped early")
        elif trace[2] > rec.blocks_per_trace:
            s.problem("trace length", f"trace index {trace[0]} has {trace[2]} blocks, the file header says "
                                      f"{rec.blocks_per_trace}")
        elif trace[2] < rec.blocks_per_trace:
            s.problem("incomplete", f"the last trace holds {trace[2]} of its {rec.blocks_per_trace} blocks: the "
                                    f"recording stopped early")
        s.close_trace(trace)
    if s.traces < rec.trace_count:
        s.problem("fewer traces", f"{s.traces} of {rec.trace_count} traces were recorded")
    if rec.end == pldat.CUT_TAIL:
        s.problem("cut tail", f"the last {rec.trailing_bytes} bytes are a block cut short; they are ignored")
    elif rec.end == pldat.BAD_HEADER:
        s.problem("bad header", f"the block header at byte {rec.bad_header_position} makes no sense "
                                f"({rec.bad_header_reason}); the {rec.trailing_bytes} bytes from there on are "
                                f"not read")
    s.steps = [v + 1 for v in sorted(steps_used) if v != pldat.NO_STEP]
    return s


def _runs_text(runs):
    return ", ".join(str(samples) + (f" x{blocks}" if blocks > 1 else "") for samples, blocks in runs)


def _kind(rec):
    return "manual stimulation" if rec.manual_stimulation else "recorded run"


def text(path, rec, s):
    lines = [
        f"File: {path} ({rec.file_bytes} bytes)",
        f"Kind: {_kind(rec)}",
        f"Trace count: {rec.trace_count}",
        f"Blocks per trace: {rec.blocks_per_trace}",
        f"Trace duration: {number(rec.trace_duration_ms)} ms",
        f"Sampling rate: {number(rec.sampling_rate_stored)} Hz",
        f"Input range: {number(rec.input_range_uv)} uV",
        f"Conversion factor: {number(rec.conversion_factor)} mV per count",
        f"Present channels: {channel_ranges(rec.channels)} ({rec.values_per_scan} values per scan)",
        f"Start: {start_text(rec)} (time-zone field {rec.time_zone_minutes} min, time stamp {rec.start_ticks})",
        f"Whole blocks: {len(rec.blocks)}",
        f"Traces found: {s.traces}",
    ]
    for first, last, blocks, runs in s.groups:
        which = f"trace {first + 1}" if first == last else f"traces {first + 1}-{last + 1}"
        lines.append(f"  {which}: {blocks} blocks of {_runs_text(runs)} samples per channel")
    if s.steps:
        lines.append(f"Steps: {', '.join(map(str, s.steps))}; loops {s.first_loop}-{s.last_loop}; traces per "
                     f"loop: {rec.step_max}")
    else:
        lines.append("Steps: none")
    problems = s.problem_texts()
    lines.append("Problems: none" if not problems else "Problems:")
    lines += [f"  - {p}" for p in problems]
    lines += _stimulation_lines(rec)
    return "\n".join(lines) + "\n"


class StimulationSummary:
    """What `info` tells of a sound log's rows."""

    def __init__(self, rows):
        self.pulses = len(rows)
        self.traces = sorted(set(rows["trace"].tolist()))
        self.electrodes = {}  # output -> ascending distinct electrodes
        self.intensity = {}  # output -> (min, max) in uA, None without rows
        for output in stimulation_log.OUTPUTS:
            mine = rows[rows["output"] == output]
            self.electrodes[output] = sorted(set(mine["electrode"].tolist()))
            values = mine["intensity_ua"]
            self.intensity[output] = (float(values.min()), float(values.max())) if len(values) else None
        refused = rows[~rows["played"]]
        # Each (trace, output) once, in file order.
        self.not_played = list(dict.fromkeys(zip(refused["trace"].tolist(), refused["output"].tolist())))


def _per_output(values, text):
    return "; ".join(f"{output} {text(values[output])}" for output in stimulation_log.OUTPUTS)


def _electrodes_text(electrodes):
    return ",".join(map(str, electrodes)) if electrodes else "none"


def _intensity_text(extremes):
    if extremes is None:
        return "none"
    low, high = extremes
    return f"{number(low)} uA" if low == high else f"{number(low)} to {number(high)} uA"


def _stimulation_lines(rec):
    if rec.stimulation_path is None:
        return []
    lines = [f"Stimulation log: {os.path.basename(rec.stimulation_path)}"]
    if rec.stimulation is None:
        return lines + [f"Stimulation log problem: {rec.stimulation_problem}"]
    st = StimulationSummary(rec.stimulation)
    lines += [
        f"Pulses: {st.pulses}",
        f"Traces stimulated: {channel_ranges(st.traces)}",
        f"Electrodes: {_per_output(st.electrodes, _electrodes_text)}",
        f"Intensity: {_per_output(st.intensity, _intensity_text)}",
    ]
    if st.not_played:
        lines.append("Not played: " + "; ".join(f"trace {trace} {output}" for trace, output in st.not_played))
    return lines


def _stimulation_json(rec):
    name = json_string(os.path.basename(rec.stimulation_path))
    if rec.stimulation is None:
        return f'{{"file":{name},"problem":{json_string(rec.stimulation_problem)}}}'
    st = StimulationSummary(rec.stimulation)

    def per_output(values, text):
        return "{" + ",".join(f'"{output}":{text(values[output])}' for output in stimulation_log.OUTPUTS) + "}"

    def extremes(value):
        return "null" if value is None else f'{{"min":{number(value[0])},"max":{number(value[1])}}}'

    not_played = ",".join(f'{{"trace":{trace},"output":{json_string(output)}}}' for trace, output in st.not_played)
    return (f'{{"file":{name},"pulses":{st.pulses},"tracesStimulated":{_list(st.traces)},'
            f'"electrodes":{per_output(st.electrodes, _list)},"intensityUa":{per_output(st.intensity, extremes)},'
            f'"notPlayed":[{not_played}]}}')


def json_string(value):
    out = ['"']
    for ch in value:
        if ch in '"\\':
            out.append("\\" + ch)
        elif ord(ch) < 0x20:
            out.append("\\u%04x" % ord(ch))
        else:
            out.append(ch)
    return "".join(out) + '"'


def _list(values):
    return "[" + ",".join(map(str, values)) + "]"


def json_text(path, rec, s):
    start = (f'{{"year":{rec.year},"month":{rec.month},"day":{rec.day},"timeOfDayMs":{rec.time_of_day_ms},'
             f'"text":{json_string(start_text(rec))},"timeZoneMinutes":{rec.time_zone_minutes},'
             f'"ticks":{rec.start_ticks}}}')
    groups = ",".join(
        f'{{"firstTrace":{first + 1},"lastTrace":{last + 1},"blocks":{blocks},"samples":['
        + ",".join(f'{{"samplesPerChannel":{n},"blocks":{b}}}' for n, b in runs) + "]}"
        for first, last, blocks, runs in s.groups)
    loops = "null" if s.last_loop == 0 else f'{{"first":{s.first_loop},"last":{s.last_loop}}}'
    fields = [
        ("path", json_string(path)),
        ("fileBytes", rec.file_bytes),
        ("kind", json_string(_kind(rec))),
        ("traceCount", rec.trace_count),
        ("blocksPerTrace", rec.blocks_per_trace),
        ("traceDurationMs", number(rec.trace_duration_ms)),
        ("sampleRateHz", number(rec.sampling_rate_stored)),
        ("inputRangeMicrovolts", number(rec.input_range_uv)),
        ("conversionFactor", number(rec.conversion_factor)),
        ("presentChannels", _list(rec.channels)),
        ("valuesPerScan", rec.values_per_scan),
        ("start", start),
        ("wholeBlocks", len(rec.blocks)),
        ("trailingBytes", rec.trailing_bytes),
        ("tracesFound", s.traces),
        ("traces", "[" + groups + "]"),
        ("steps", _list(s.steps)),
        ("loops", loops),
        ("stepMax", rec.step_max),
        ("problems", "[" + ",".join(json_string(p) for p in s.problem_texts()) + "]"),
    ]
    if rec.stimulation_path is not None:
        fields.append(("stimulation", _stimulation_json(rec)))
    return "{" + ",".join(f'"{name}":{value}' for name, value in fields) + "}\n"


def _bytes(text):
    return text.encode("utf-8", "surrogateescape")


def run(path, as_json):
    """(exit status, standard output, standard error) of `info` for `path`."""
    try:
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", pldat.PldatWarning)  # told among the problems
            rec = pldat.open(path)
    except pldat.PldatError as e:
        reason = e.reason
    except OSError as e:
        reason = f'Cannot open "{path}": {os.strerror(e.errno) if e.errno else e}.'
    else:
        with rec:
            s = summarise(rec)
            return 0, _bytes((json_text if as_json else text)(path, rec, s)), b""
    out = _bytes(f'{{"path":{json_string(path)},"error":{json_string(reason)}}}\n') if as_json else b""
    return 1, out, _bytes(f"error: {reason}\n")
