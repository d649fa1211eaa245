"""The batch mode on 1,000,000 decks against 20,000: time at most 1.1 x
linear, and peak memory flat (it grows with the card pool, not with the
number of decks); once in one folder, once by deck type in 1,000
sub-folders (--by-folder).

    scale.py REPEATS BUILD_DIR SMALL LARGE SMALL_TYPED LARGE_TYPED

The large corpus is the small one copied 50 times under other names, and
the typed ones the same files linked into 1,000 sub-folders (see
scale.sh), so all hold the same 3,000 cards. Warm page cache: one untimed
run of each first; then the runs are taken in turns."""
import sys

from measure import measure_all, run_once, verdict


def main():
    repeats = int(sys.argv[1])
    build = sys.argv[2]
    folders = dict(zip(("small", "large", "small typed", "large typed"), sys.argv[3:7]))
    checker = f"{build}/sormel-checker"

    def job(name):
        command = [checker, "--batch", folders[name]] + (["--by-folder"] if "typed" in name else [])
        return lambda: run_once(command, {})

    figures = measure_all({name: job(name) for name in folders}, repeats)
    print(f"median of {repeats} runs (min-max), taken in turns, warm page cache")
    for label, suffix in (("one folder", ""), ("1,000 type folders, --by-folder", " typed")):
        s, l = figures["small" + suffix], figures["large" + suffix]
        print(label)
        print(f"  batch, 20,000 decks     {s}")
        print(f"  batch, 1,000,000 decks  {l}")
        linear = 50 * s.median
        print(f"  time / linear (50 x 20,000): {l.median / linear:.2f} (target <= 1.1: {verdict(l.median, 1.1 * linear)})")
        print(f"  peak memory, 1,000,000 / 20,000: {l.peak / s.peak:.2f} "
              f"(+{l.peak - s.peak:.1f} MiB; flat, target <= 1.2: {verdict(l.peak, 1.2 * s.peak)})")


if __name__ == "__main__":
    main()
