"""Times the floor, the batch mode and the window on the benchmark corpora
and prints each figure against its target.

    measure.py REPEATS BUILD_DIR CORPUS_DIR

Each figure is the median of REPEATS runs with their spread (min-max).
Warm: after one untimed run that brings the files into the page cache.
Cold: the page cache dropped before every run (needs root; skipped with a
message otherwise). The batch mode runs once with every file read on its
own thread (SORMEL_READ_THREADS=0) and once reading ahead as it does by
default (or with SORMEL_READ_THREADS as set for this script)."""
import os
import statistics
import subprocess
import sys
import time

DROP_CACHES = "/proc/sys/vm/drop_caches"


class Figure:
    def __init__(self, times, peak=None):
        self.times, self.peak = times, peak
        self.median = statistics.median(times)

    def __str__(self):
        text = f"{self.median:7.3f} s ({min(self.times):.3f}-{max(self.times):.3f})"
        return text if self.peak is None else f"{text}  peak {self.peak:5.1f} MiB"


def run_once(command, env):
    """Wall time and peak memory of one run of `command`."""
    start = time.perf_counter()
    pid = os.fork()
    if pid == 0:
        devnull = os.open(os.devnull, os.O_WRONLY)
        os.dup2(devnull, 1)
        os.dup2(devnull, 2)
        os.execve(command[0], command, env)
    _, status, usage = os.wait4(pid, 0)
    elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{' '.join(command)} failed")
    return elapsed, usage.ru_maxrss / 1024  # KiB to MiB


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


def measure(command, repeats, env=None, cold=False):
    env = dict(os.environ, **(env or {}))
    if not cold:
        run_once(command, env)
    times, peak = [], 0.0
    for _ in range(repeats):
        if cold:
            drop_page_cache()
        elapsed, rss = run_once(command, env)
        times.append(elapsed)
        peak = max(peak, rss)
    return Figure(times, peak)


def measure_window(window_run, corpus, repeats, high_speed):
    """The window's own figure: from the click on the start button to the
    completion message, as window_run prints it."""
    command = [window_run, corpus] + (["--high-speed"] if high_speed else [])
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    subprocess.run(command, env=env, capture_output=True, check=True)
    times = []
    for _ in range(repeats):
        result = subprocess.run(command, env=env, capture_output=True, check=True, text=True)
        times.append(float(result.stdout.split()[0]))
    return Figure(times)


def verdict(value, limit, strict=False):
    ok = value < limit if strict else value <= limit
    return "ok" if ok else "MISSED"


def main():
    repeats = int(sys.argv[1])
    build, corpora = sys.argv[2], sys.argv[3]
    floor = os.path.join(build, "bench", "floor_read")
    checker = os.path.join(build, "sormel-checker")
    window_run = os.path.join(build, "bench", "window_run")
    native = os.path.join(corpora, "corpus-20000-3000")
    large = os.path.join(corpora, "corpus-20000-30000")
    lists = os.path.join(corpora, "corpus-20000-3000-list")
    dek = os.path.join(corpora, "corpus-20000-3000-dek")
    serial = {"SORMEL_READ_THREADS": "0"}

    # The CSV goes to standard output, which is /dev/null. With --output,
    # the batch mode first makes sure the output is none of the decks,
    # looking at every deck file once more: that is timed on its own.
    def batch(folder, *options):
        return [checker, "--batch", folder, *options]

    threads = os.environ.get("SORMEL_READ_THREADS", "the machine's number of")
    print(f"20,000 decks; median of {repeats} runs (min-max); read-ahead: {threads} threads")
    print("warm page cache")
    w_floor = measure([floor, native], repeats)
    w_serial = measure(batch(native), repeats, serial)
    w_batch = measure(batch(native), repeats)
    w_output = measure(batch(native, "--output", "/dev/null"), repeats)
    w_large = measure(batch(large), repeats)
    w_lists = measure(batch(lists), repeats)
    w_dek = measure(batch(dek, "--mask", "*.dek"), repeats)
    w_high = measure_window(window_run, native, repeats, True)
    w_normal = measure_window(window_run, native, repeats, False)
    print(f"  floor (open, read, close), 3,000 cards  {w_floor}")
    print(f"  batch, files read one by one           {w_serial}")
    print(f"  batch, read ahead                      {w_batch}")
    print(f"  batch, read ahead, --output /dev/null  {w_output}")
    print(f"  batch, read ahead, 30,000 cards        {w_large}")
    print(f"  batch, read ahead, plain text lists    {w_lists}")
    print(f"  batch, read ahead, .dek                {w_dek}")
    print(f"  window, high-speed (click to message)  {w_high}")
    print(f"  window, normal mode                    {w_normal}")

    f = w_floor.median
    peak = max(x.peak for x in (w_serial, w_batch, w_output, w_large, w_lists, w_dek))
    print(f"  batch / floor:            {w_batch.median / f:.2f} (target <= 1.0: {verdict(w_batch.median, 1.0 * f)}; "
          f"<= 1.5: {verdict(w_batch.median, 1.5 * f)})  one by one: {w_serial.median / f:.2f}")
    print(f"  lists / floor:            {w_lists.median / f:.2f} (target <= 2.0: {verdict(w_lists.median, 2.0 * f)})")
    print(f"  .dek / floor:             {w_dek.median / f:.2f}")
    print(f"  window high-speed / floor: {w_high.median / f:.2f} (target <= 1.3: {verdict(w_high.median, 1.3 * f)})")
    print(f"  window normal / floor:    {w_normal.median / f:.2f} (target <= 2.5: {verdict(w_normal.median, 2.5 * f)})")
    print(f"  peak memory, batch:       {peak:.1f} MiB (target < 40: {verdict(peak, 40, strict=True)})")
    print(f"  30,000 / 3,000 cards:     {w_large.median / w_batch.median:.2f} "
          f"(target <= 1.3: {verdict(w_large.median, 1.3 * w_batch.median)})")

    print("cold page cache (dropped before every run)")
    if not can_drop_page_cache():
        print(f"  skipped: cannot write {DROP_CACHES} (run as root to measure cold reads)")
        return
    c_floor = measure([floor, native], repeats, cold=True)
    c_serial = measure(batch(native), repeats, serial, cold=True)
    c_batch = measure(batch(native), repeats, cold=True)
    print(f"  floor (open, read, close), 3,000 cards  {c_floor}")
    print(f"  batch, files read one by one           {c_serial}")
    print(f"  batch, read ahead                      {c_batch}")
    cf = c_floor.median
    print(f"  batch / floor:            {c_batch.median / cf:.2f} (target <= 0.75: {verdict(c_batch.median, 0.75 * cf)})"
          f"  one by one: {c_serial.median / cf:.2f}")


main()
