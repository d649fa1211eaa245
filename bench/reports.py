"""Times the batch mode with reports, deck types and a comparison against
the floor program (open, read and close every deck), on the 20,000-deck,
3,000-card corpus, and prints each ratio against its target.

    python3 bench/reports.py REPEATS FLOOR CHECKER CORPUS TYPED_CORPUS OUTDIR

TYPED_CORPUS holds the same decks spread over 20 sub-folders. Each figure is
the median of REPEATS runs (after one warm-up round), taken in turns, with
its min-max spread; memory is the largest peak resident size seen."""
import os
import statistics
import subprocess
import sys
import time


def run_once(command):
    """Wall time and peak resident size (MiB) of one run of `command`."""
    start = time.perf_counter()
    pid = os.fork()
    if pid == 0:
        devnull = os.open(os.devnull, os.O_WRONLY)
        os.dup2(devnull, 1)
        os.execv(command[0], command)
    _, status, usage = os.wait4(pid, 0)
    elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{' '.join(command)} failed")
    return elapsed, usage.ru_maxrss / 1024


def measure_all(runs, repeats):
    """Every command once per round, round after round (after one warm-up
    round), so that a shared machine's drift moves every figure alike."""
    for command in runs.values():
        subprocess.run(command, stdout=subprocess.DEVNULL, check=True)
    samples = {name: [] for name in runs}
    for _ in range(repeats):
        for name, command in runs.items():
            samples[name].append(run_once(command))
    results = {}
    for name, taken in samples.items():
        times = [t for t, _ in taken]
        results[name] = (statistics.median(times), min(times), max(times), max(peak for _, peak in taken))
    return results


def main():
    repeats = int(sys.argv[1])
    floor, checker, corpus, typed, out = sys.argv[2:7]
    batch = [checker, "--batch"]
    runs = {
        "floor": [floor, corpus],
        "plain": batch + [corpus, "--output", "/dev/null"],
        "reports": batch + [corpus, "--output", "/dev/null", "--report", f"{out}/r.json", "--report", f"{out}/r.xlsx"],
        "by-folder": batch + [typed, "--by-folder", "--output", "/dev/null"],
        "types+json": batch + [typed, "--by-folder", "--output", "/dev/null", "--report", f"{out}/t.json"],
        "types+all": batch + [typed, "--by-folder", "--output", "/dev/null", "--report", f"{out}/t.json",
                              "--average-deck", f"{out}/avg"],
        "json": batch + [corpus, "--output", "/dev/null", "--report", f"{out}/j.json"],
        "compare": batch + [corpus, "--compare", corpus, "--output", "/dev/null", "--report", f"{out}/c.json"],
    }
    os.makedirs(f"{out}/avg", exist_ok=True)
    results = measure_all(runs, repeats)
    floor_time = results["floor"][0]
    for name, (median, low, high, peak) in results.items():
        print(f"{name:10} {median:.3f} s (min {low:.3f}, max {high:.3f})  {median / floor_time:.2f} x floor  "
              f"peak {peak:.1f} MiB")

    def verdict(ok):
        return "ok" if ok else "MISSED"

    reports = results["reports"]
    print(f"reports: {reports[0] / floor_time:.2f} x floor (target <= 2.0) {verdict(reports[0] <= 2 * floor_time)}, "
          f"peak {reports[3]:.1f} MiB (target < 64) {verdict(reports[3] < 64)}")
    typed_run = results["by-folder"]
    print(f"by-folder, 20 types: {typed_run[0] / floor_time:.2f} x floor (target <= 2.5) "
          f"{verdict(typed_run[0] <= 2.5 * floor_time)}, peak {typed_run[3]:.1f} MiB (target < 64) "
          f"{verdict(typed_run[3] < 64)}")
    # The memory target leaves out what the average decks need (their vote
    # counts and deck totals): shown apart, as what they add to the same run.
    report_only = results["types+json"]
    full = results["types+all"]
    print(f"by-folder with the JSON report: {report_only[0] / floor_time:.2f} x floor, peak {report_only[3]:.1f} MiB "
          f"(target < 64) {verdict(report_only[3] < 64)}; with average decks of every type too: "
          f"{full[0] / floor_time:.2f} x floor, peak {full[3]:.1f} MiB, the average decks adding "
          f"{full[3] - report_only[3]:.1f} MiB")
    cost = results["compare"][0] - results["json"][0]
    print(f"compare: costs {cost:.3f} s over the same run without it; the second folder's own run takes "
          f"{results['plain'][0]:.3f} s (target: at most that) {verdict(cost <= results['plain'][0])}")

if __name__ == "__main__":
    main()
