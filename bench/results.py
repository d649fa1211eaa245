"""Times the batch mode with every report on a typed corpus, with and
without deck results, and prints the cost of the results against its
target (at most 15 % more time).

    python3 bench/results.py REPEATS CHECKER TYPED_CORPUS RESULTS_CSV OUTDIR

Each figure is the median of REPEATS runs (after one warm-up round), the
two taken in turns, with its min-max spread and the largest peak resident
size seen."""
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from reports import run_once  # noqa: E402


def main():
    repeats = int(sys.argv[1])
    checker, typed, results_csv, out = sys.argv[2:6]
    every_report = [checker, "--batch", typed, "--by-folder", "--output", "/dev/null", "--report", f"{out}/r.csv",
                    "--report", f"{out}/r.json", "--report", f"{out}/r.xlsx"]
    runs = {
        "without results": every_report,
        "with results": every_report + ["--results", results_csv, "--top", "32"],
    }
    for command in runs.values():
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    samples = {name: [] for name in runs}
    for _ in range(repeats):
        for name, command in runs.items():
            samples[name].append(run_once(command))
    medians = {}
    for name, taken in samples.items():
        times = [t for t, _ in taken]
        medians[name] = statistics.median(times)
        print(f"{name:16} {medians[name]:.3f} s (min {min(times):.3f}, max {max(times):.3f})  "
              f"peak {max(p for _, p in taken):.1f} MiB")
    cost = medians["with results"] / medians["without results"] - 1
    verdict = "ok" if cost <= 0.15 else "MISSED"
    print(f"results cost {cost * 100:+.1f} % (target <= +15 %) {verdict}")


main()
