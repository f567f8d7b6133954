"""python -m korin16 info FILE [--json]: what a recording holds and what is
wrong with it, in the same words as `korin16-cli info`."""

import sys

from . import info


def _usage():
    sys.stderr.write("usage: python -m korin16 info FILE [--json]\n")
    return 2


def main(argv):
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
