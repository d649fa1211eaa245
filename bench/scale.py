"""The batch mode on 1,000,000 decks against 20,000: time at most 1.1 x
linear, and peak memory flat (it grows with the card pool, not with the
number of decks).

    scale.py REPEATS BUILD_DIR SMALL_CORPUS LARGE_CORPUS

The large corpus is the small one copied 50 times under other names (see
scale.sh), so both hold the same 3,000 cards. Warm page cache: one untimed
run of each first; then the runs are taken in turns."""
import sys

from measure import measure_all, run_once, verdict


def main():
    repeats = int(sys.argv[1])
    build, small, large = sys.argv[2:5]
    checker = f"{build}/sormel-checker"
    jobs = {name: (lambda folder=folder: run_once([checker, "--batch", folder], {}))
            for name, folder in (("small", small), ("large", large))}
    figures = measure_all(jobs, repeats)
    s, l = figures["small"], figures["large"]
    print(f"median of {repeats} runs (min-max), taken in turns, warm page cache")
    print(f"  batch, 20,000 decks     {s}")
    print(f"  batch, 1,000,000 decks  {l}")
    linear = 50 * s.median
    print(f"  time / linear (50 x 20,000): {l.median / linear:.2f} (target <= 1.1: {verdict(l.median, 1.1 * linear)})")
    print(f"  peak memory, 1,000,000 / 20,000: {l.peak / s.peak:.2f} "
          f"(+{l.peak - s.peak:.1f} MiB; flat, target <= 1.2: {verdict(l.peak, 1.2 * s.peak)})")


if __name__ == "__main__":
    main()
