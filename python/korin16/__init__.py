"""Korin16 recordings in Python.

korin16.pldat reads .pldat files, and the stimulation log beside them, into
NumPy arrays (standard library and NumPy only); korin16.measures reads the
evoked-response measures file (STEM_measures.csv); korin16.neo_io offers
recordings to Neo (imported on demand, it needs neo);
`python -m korin16 info FILE` describes a file as `korin16-cli info` does, and
`python -m korin16 plot FILE --out FIG.png` draws the sixteen channels' max
slope as % of baseline (it needs matplotlib).
"""

from . import measures, pldat

__all__ = ["measures", "pldat"]
