"""Korin16 recordings in Python.

korin16.pldat reads .pldat files, and the stimulation log beside them, into
NumPy arrays (standard library and NumPy only); korin16.neo_io offers them to
Neo (imported on demand, it needs neo);
`python -m korin16 info FILE` describes a file as `korin16-cli info` does.
"""

from . import pldat

__all__ = ["pldat"]
