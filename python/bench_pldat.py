"""Speed of the Python reader on one recording:

    PYTHONPATH=python /usr/bin/python3 python/bench_pldat.py FILE [SECONDS]

Opening (memory map and the walk over every block header) with the file's
pages dropped from the page cache first where the system allows it, then
with them cached; and to_mv() of the first SECONDS (default 60) of the first
trace against plain NumPy on the same counts held contiguously in memory;
and reading the stimulation log beside the file when there is one.
"""

import os
import statistics
import sys
import time

import numpy as np

from korin16 import pldat, stimulation_log


def drop_cached_pages(path):
    if not hasattr(os, "posix_fadvise"):
        return False
    fd = os.open(path, os.O_RDONLY)
    try:
        os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
    finally:
        os.close(fd)
    return True


def timed(f, repeats):
    times = []
    for _ in range(repeats):
        t = time.perf_counter()
        result = f()
        times.append(time.perf_counter() - t)
    return statistics.median(times), result


def main(path, seconds=60.0):
    size = os.path.getsize(path)
    if drop_cached_pages(path):
        cold, rec = timed(lambda: pldat.open(path), 1)
        print(f"open, pages not cached: {cold * 1000:.0f} ms")
    warm, rec = timed(lambda: pldat.open(path), 5)
    print(f"open, pages cached:     {warm * 1000:.0f} ms (median of 5)  "
          f"{size / 1e9:.2f} GB, {len(rec.blocks)} blocks, {len(rec.traces)} traces")

    trace = rec.traces[0]
    scans = min(trace.scans, int(seconds * pldat.SAMPLE_RATE))
    values = scans * len(rec.channels)
    trace.to_mv(0, scans)  # fault the pages in once
    ours, mv = timed(lambda: trace.to_mv(0, scans), 5)
    counts = np.ascontiguousarray(trace.read(0, scans))
    plain, reference = timed(lambda: counts * rec.conversion_factor, 5)
    assert np.array_equal(mv, reference)
    print(f"to_mv of {scans / pldat.SAMPLE_RATE:g} s x {len(rec.channels)} channels: {ours * 1000:.0f} ms "
          f"({values / ours / 1e6:.0f} M values/s); NumPy on contiguous counts: {plain * 1000:.0f} ms "
          f"({values / plain / 1e6:.0f} M values/s)")

    if rec.stimulation_path is not None:
        log, (rows, problem) = timed(lambda: stimulation_log.read(rec.stimulation_path), 5)
        print(f"stimulation log: {log * 1000:.0f} ms (median of 5), "
              + (problem if problem else f"{len(rows)} rows"))


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    main(sys.argv[1], *map(float, sys.argv[2:]))
