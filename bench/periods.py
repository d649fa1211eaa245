"""Times --periods over 12 periods of 20,000 decks against the same 240,000
decks as one folder, both with every report (CSV, JSON, workbook, report CSV
and the average deck), and prints the ratio and the peak memory against
their targets.

    python3 bench/periods.py REPEATS CHECKER PERIODS_DIR WHOLE_DIR OUTDIR

Each figure is the median of REPEATS runs (after one warm-up round), taken
in turns; memory is the largest peak resident size seen."""
import os
import sys

from reports import measure_all


def main():
    repeats = int(sys.argv[1])
    checker, periods, whole, out = sys.argv[2:6]

    def every_report(folder, name):
        return [checker, "--batch", folder, "--output", "/dev/null", "--report", f"{out}/{name}.json",
                "--report", f"{out}/{name}.xlsx", "--report", f"{out}/{name}.csv",
                "--average-deck", f"{out}/{name}-average.txt"]

    runs = {
        "one folder": every_report(whole, "whole"),
        "12 periods": every_report(periods, "periods") + ["--periods"],
    }
    os.makedirs(out, exist_ok=True)
    results = measure_all(runs, repeats)
    for name, (median, low, high, peak) in results.items():
        print(f"{name:10} {median:.3f} s (min {low:.3f}, max {high:.3f})  peak {peak:.1f} MiB")
    ratio = results["12 periods"][0] / results["one folder"][0]
    peak = results["12 periods"][3]
    print(f"periods: {ratio:.2f} x one folder (target <= 1.5) {'ok' if ratio <= 1.5 else 'MISSED'}, "
          f"peak {peak:.1f} MiB (target < 256) {'ok' if peak < 256 else 'MISSED'}")


if __name__ == "__main__":
    main()
