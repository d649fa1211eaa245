"""Times the floor, the batch mode and the window on the benchmark corpora
and prints each figure against its target.

    measure.py REPEATS BUILD_DIR CORPUS_DIR

Each figure is the median of REPEATS runs with their spread (min-max); the
runs are taken in turns, one of each figure per round. Warm: after one
untimed round that brings the files into the page cache.
Cold: the page cache dropped before every run (needs root; skipped with a
message otherwise). The batch mode runs once with every file read on its
own thread (SORMEL_READ_THREADS=0) and once reading ahead as it does by
default (or with SORMEL_READ_THREADS as set for this script)."""
import os
import statistics
import subprocess
import sys

DROP_CACHES = "/proc/sys/vm/drop_caches"


class Figure:
    def __init__(self, times, peak=None):
        self.times, self.peak = times, peak
        self.median = statistics.median(times)

    def __str__(self):
        text = f"{self.median:7.3f} s ({min(self.times):.3f}-{max(self.times):.3f})"
        return text if self.peak is None else f"{text}  peak {self.peak:5.1f} MiB"


# Built beside the program by every bench script: runs a command from a
# small process, so that its peak memory is its own (see measured_run.cpp).
MEASURED_RUN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build-bench", "bench", "measured_run")


def run_once(command, env=None):
    """Wall time and peak memory of one run of `command`."""
    env = os.environ if env is None else env
    if not os.path.exists(MEASURED_RUN):
        sys.exit(f"{MEASURED_RUN} is missing: the bench scripts build it (cmake --build build-bench --target measured_run)")
    done = subprocess.run([MEASURED_RUN, *command], env=env, stdout=subprocess.PIPE, check=True, text=True)
    seconds, peak, status = done.stdout.split()
    if int(status) != 0:
        sys.exit(f"{' '.join(command)} failed")
    return float(seconds), int(peak) / 1024  # KiB to MiB


def drop_page_cache():
    os.sync()
    with open(DROP_CACHES, "w") as f:
        f.write("3\n")


def can_drop_page_cache():
    try:
        drop_page_cache()
        return True
    except OSError:
        return False


def window_once(window_run, corpus, high_speed):
    """The window's own figure: from the click on the start button to the
    completion message, as window_run prints it."""
    command = [window_run, corpus] + (["--high-speed"] if high_speed else [])
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    result = subprocess.run(command, env=env, capture_output=True, check=True, text=True)
    return float(result.stdout.split()[0]), None


def measure_all(jobs, repeats, cold=False):
    """Runs every job once per round, round after round, so that a machine
    that gets slower or quicker on the way (this one is shared) moves every
    figure alike. A job is a function giving (seconds, peak MiB or None).
    Warm: one untimed round first. Cold: the page cache dropped before
    every run."""
    if not cold:
        for job in jobs.values():
            job()
    results = {name: [] for name in jobs}
    for _ in range(repeats):
        for name, job in jobs.items():
            if cold:
                drop_page_cache()
            results[name].append(job())
    figures = {}
    for name, runs in results.items():
        peaks = [peak for _, peak in runs if peak is not None]
        figures[name] = Figure([t for t, _ in runs], max(peaks) if peaks else None)
    return figures


def verdict(value, limit, strict=False):
    ok = value < limit if strict else value <= limit
    return "ok" if ok else "MISSED"


def main():
    repeats = int(sys.argv[1])
    build, corpora = sys.argv[2], sys.argv[3]
    floor = os.path.join(build, "bench", "floor_read")
    bare = os.path.join(build, "bench", "floor_bare")
    checker = os.path.join(build, "sormel-checker")
    window_run = os.path.join(build, "bench", "window_run")
    native = os.path.join(corpora, "corpus-20000-3000")
    large = os.path.join(corpora, "corpus-20000-30000")
    lists = os.path.join(corpora, "corpus-20000-3000-list")
    dek = os.path.join(corpora, "corpus-20000-3000-dek")
    csv_exports = os.path.join(corpora, "corpus-20000-3000-csv")
    cod = os.path.join(corpora, "corpus-20000-3000-cod")
    serial = {"SORMEL_READ_THREADS": "0"}

    # The CSV goes to standard output, which is /dev/null. With --output,
    # the batch mode first makes sure the output is none of the decks,
    # looking at every deck file once more: that is timed on its own.
    def batch(folder, *options):
        return [checker, "--batch", folder, *options]

    threads = os.environ.get("SORMEL_READ_THREADS", "the machine's number of")
    print(f"20,000 decks; median of {repeats} runs (min-max), taken in turns; read-ahead: {threads} threads")
    print("warm page cache")

    def program(command, env=None):
        full_env = dict(os.environ, **(env or {}))
        return lambda: run_once(command, full_env)

    w = measure_all({
        "bare": program([bare, native]),
        "floor": program([floor, native]),
        "serial": program(batch(native), serial),
        "batch": program(batch(native)),
        "output": program(batch(native, "--output", "/dev/null")),
        "large": program(batch(large)),
        "lists": program(batch(lists)),
        "dek": program(batch(dek, "--mask", "*.dek")),
        "csv": program(batch(csv_exports, "--mask", "*.csv")),
        "cod": program(batch(cod, "--mask", "*.cod")),
        "high": lambda: window_once(window_run, native, True),
        "normal": lambda: window_once(window_run, native, False),
    }, repeats)
    print(f"  bare floor (list, sort, read), 3,000 cards {w['bare']}")
    print(f"  floor (open, read, close), 3,000 cards  {w['floor']}")
    print(f"  batch, files read one by one           {w['serial']}")
    print(f"  batch, read ahead                      {w['batch']}")
    print(f"  batch, read ahead, --output /dev/null  {w['output']}")
    print(f"  batch, read ahead, 30,000 cards        {w['large']}")
    print(f"  batch, read ahead, plain text lists    {w['lists']}")
    print(f"  batch, read ahead, .dek                {w['dek']}")
    print(f"  batch, read ahead, CSV exports         {w['csv']}")
    print(f"  batch, read ahead, .cod                {w['cod']}")
    print(f"  window, high-speed (click to message)  {w['high']}")
    print(f"  window, normal mode                    {w['normal']}")

    f = w["floor"].median
    b = w["batch"].median
    bf = w["bare"].median
    print(f"  batch / bare floor:       {b / bf:.2f} (target <= 1.0: {verdict(b, 1.0 * bf)})"
          f"  floor / bare floor: {f / bf:.2f}")
    peak = max(w[name].peak for name in ("serial", "batch", "output", "large", "lists", "dek", "csv", "cod"))
    print(f"  batch / floor:            {b / f:.2f} (target <= 1.0: {verdict(b, 1.0 * f)}; "
          f"<= 1.5: {verdict(b, 1.5 * f)})  one by one: {w['serial'].median / f:.2f}")
    print(f"  lists / floor:            {w['lists'].median / f:.2f} (target <= 2.0: {verdict(w['lists'].median, 2.0 * f)})")
    print(f"  .dek / floor:             {w['dek'].median / f:.2f} (target <= 1.5: {verdict(w['dek'].median, 1.5 * f)})")
    for name, label in (("csv", "CSV exports"), ("cod", ".cod")):
        print(f"  {label + ' / floor:':<26}{w[name].median / f:.2f} "
              f"(target <= 2.0: {verdict(w[name].median, 2.0 * f)})")
    print(f"  window high-speed / floor: {w['high'].median / f:.2f} (target <= 1.3: {verdict(w['high'].median, 1.3 * f)})")
    print(f"  window normal / floor:    {w['normal'].median / f:.2f} (target <= 2.5: {verdict(w['normal'].median, 2.5 * f)})")
    print(f"  peak memory, batch:       {peak:.1f} MiB (target < 40: {verdict(peak, 40, strict=True)})")
    print(f"  30,000 / 3,000 cards:     {w['large'].median / b:.2f} "
          f"(target <= 1.3: {verdict(w['large'].median, 1.3 * b)})")

    print("cold page cache (dropped before every run)")
    if not can_drop_page_cache():
        print(f"  skipped: cannot write {DROP_CACHES} (run as root to measure cold reads)")
        return
    c = measure_all({
        "bare": program([bare, native]),
        "floor": program([floor, native]),
        "serial": program(batch(native), serial),
        "batch": program(batch(native)),
    }, repeats, cold=True)
    print(f"  bare floor (list, sort, read), 3,000 cards {c['bare']}")
    print(f"  floor (open, read, close), 3,000 cards  {c['floor']}")
    print(f"  batch, files read one by one           {c['serial']}")
    print(f"  batch, read ahead                      {c['batch']}")
    cf = c["floor"].median
    cb = c["bare"].median
    print(f"  batch / bare floor:       {c['batch'].median / cb:.2f} (target <= 0.5: {verdict(c['batch'].median, 0.5 * cb)})")
    print(f"  batch / floor:            {c['batch'].median / cf:.2f} (target <= 0.75: {verdict(c['batch'].median, 0.75 * cf)})"
          f"  one by one: {c['serial'].median / cf:.2f}")


if __name__ == "__main__":
    main()
