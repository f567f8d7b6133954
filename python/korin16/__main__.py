"""python -m korin16 info FILE [--json]: what a recording holds and what is
wrong with it, in the same words as `korin16-cli info`.
python -m korin16 plot FILE --out FIG.png [--baseline-traces N]: the
sixteen channels' max slope as % of baseline, and the input-output curve."""

import sys

from . import info, plot


def _usage():
    sys.stderr.write("usage: python -m korin16 info FILE [--json]\n"
                     "       python -m korin16 plot FILE --out FIG.png [--baseline-traces N]\n")
    return 2


def main(argv):
    if argv and argv[0] == "plot":
        return plot.main(argv[1:])
    if not argv or argv[0] != "info":
        return _usage()
    paths = [a for a in argv[1:] if a != "--json"]
    if len(paths) != 1:
        return _usage()
    status, out, err = info.run(paths[0], "--json" in argv[1:])
    sys.stdout.flush()
    sys.stdout.buffer.write(out)
    sys.stdout.buffer.flush()
    sys.stderr.buffer.write(err)
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
