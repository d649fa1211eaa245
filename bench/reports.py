"""Times deck types and reports against the floor programs (open, read and
close every deck) and prints each figure with its target and "ok" or
"MISSED".

    python3 bench/reports.py REPEATS BUILD_DIR TYPED_20 TYPED_1000_SMALL TYPED_1000_LARGE OUTDIR

Each TYPED_* folder holds a metagame with one sub-folder per deck type, and
TYPED_*.flat/decks the same decks in one folder (bench/make_typed.py):
20 types of 20,000 decks; 1,000 types of 20 decks each; 1,000 types of
100,000 decks. A comparison (--compare) of the 20,000 decks with
themselves is timed too. Each time is the median of REPEATS runs (after one warm-up
round), taken in turns with the floors, with its min-max spread; memory is
the largest peak resident size seen (wait4's ru_maxrss)."""
import os
import sys

import measure
from measure import run_once


def measure_all(runs, repeats):
    """Every command once per round, round after round (after one warm-up
    round), so that a shared machine's drift moves every figure alike:
    (median, min, max seconds, largest peak MiB) for each."""
    jobs = {name: (lambda command=command: run_once(command, os.environ)) for name, command in runs.items()}
    figures = measure.measure_all(jobs, repeats)
    return {name: (f.median, min(f.times), max(f.times), f.peak) for name, f in figures.items()}


def verdict(ok):
    return "ok" if ok else "MISSED"


def main():
    repeats = int(sys.argv[1])
    build, typed20, small, large, out = sys.argv[2:7]
    checker = os.path.join(build, "sormel-checker")
    floors = {name: os.path.join(build, "bench", name) for name in ("floor_read", "floor_bare")}
    floors = {name: path for name, path in floors.items() if os.access(path, os.X_OK)}
    flat20, flat_large = f"{typed20}.flat/decks", f"{large}.flat/decks"
    def every(name):
        return ["--report", f"{out}/{name}.json", "--report", f"{out}/{name}.xlsx", "--report",
                f"{out}/{name}.csv", "--average-deck", f"{out}/{name}"]
    three = ["--report", f"{out}/t.json", "--report", f"{out}/t.xlsx", "--report", f"{out}/t.csv"]

    def batch(folder, *args):
        return [checker, "--batch", folder, "--output", "/dev/null", *args]

    runs = {name: [path, flat20] for name, path in floors.items()}
    runs.update({
        "types 20": batch(typed20, "--by-folder"),
        "types 20 + json": batch(typed20, "--by-folder", "--report", f"{out}/j.json"),
        "types 20 + every report": batch(typed20, "--by-folder", *every("e20")),
        "types 1000x20 + every report": batch(small, "--by-folder", *every("e1000")),
        "types 1000x20 + web page": batch(small, "--by-folder", "--report", f"{out}/w.html"),
        "plain 100000": batch(flat_large),
        "types 1000 + three reports": batch(large, "--by-folder", *three),
        "plain 20000": batch(flat20),
        "json 20000": batch(flat20, "--report", f"{out}/p.json"),
        "compare 20000": batch(flat20, "--compare", flat20, "--report", f"{out}/c.json"),
    })
    results = measure_all(runs, repeats)
    for name, (median, low, high, peak) in results.items():
        print(f"{name:30} {median:7.3f} s (min {low:.3f}, max {high:.3f})  peak {peak:6.1f} MiB")
    print()

    def ratios(name):
        return ", ".join(f"{results[name][0] / results[floor][0]:.2f} x {floor}" for floor in floors)

    def row(label, name, limit, memory):
        median, _, _, peak = results[name]
        floor = results["floor_read"][0]
        print(f"{label}: {ratios(name)} (target <= {limit} x floor_read) {verdict(median <= limit * floor)}; "
              f"peak {peak:.1f} MiB (target < {memory}) {verdict(peak < memory)}")

    row("by-folder, 20 types", "types 20", 1.2, 64)
    row("by-folder, 20 types, JSON report", "types 20 + json", 2.0, 64)
    row("by-folder, 20 types, every report and the average decks", "types 20 + every report", 2.5, 64)
    small_peak = results["types 1000x20 + every report"][3]
    print(f"by-folder, 1,000 types of 20 decks, every report and the average decks: peak {small_peak:.1f} MiB "
          f"(target < 64) {verdict(small_peak < 64)}")
    page_peak = results["types 1000x20 + web page"][3]
    print(f"by-folder, 1,000 types of 20 decks, the web page (written as it is made): peak {page_peak:.1f} MiB "
          f"(target < 64) {verdict(page_peak < 64)}")
    many, plain = results["types 1000 + three reports"], results["plain 100000"]
    print(f"by-folder, 100,000 decks in 1,000 types, three reports: {many[0] / plain[0]:.2f} x the same decks' "
          f"plain run (target <= 3.0) {verdict(many[0] <= 3 * plain[0])}; peak {many[3]:.1f} MiB (target < 256) "
          f"{verdict(many[3] < 256)}")
    cost = results["compare 20000"][0] - results["json 20000"][0]
    print(f"compare: costs {cost:.3f} s over the same run without it; the second folder's own run takes "
          f"{results['plain 20000'][0]:.3f} s (target: at most that) {verdict(cost <= results['plain 20000'][0])}")


if __name__ == "__main__":
    main()
