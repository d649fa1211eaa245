"""Times the floor and the batch mode on the benchmark corpora and prints
the ratios against their targets. Each figure is the median of REPEATS
runs, after one warm-up run that brings the files into the page cache."""
import os
import resource
import statistics
import subprocess
import sys
import time


def measure(command, repeats):
    subprocess.run(command, stdout=subprocess.DEVNULL, check=True)  # warm-up
    times, peaks = [], []
    for _ in range(repeats):
        start = time.perf_counter()
        pid = os.fork()
        if pid == 0:
            devnull = os.open(os.devnull, os.O_WRONLY)
            os.dup2(devnull, 1)
            os.execv(command[0], command)
        _, status, usage = os.wait4(pid, 0)
        times.append(time.perf_counter() - start)
        if os.waitstatus_to_exitcode(status) != 0:
            sys.exit(f"{' '.join(command)} failed")
        peaks.append(usage.ru_maxrss / 1024)  # KiB to MiB
    return statistics.median(times), max(peaks)


def main():
    repeats = int(sys.argv[1])
    floor, checker, small, large = sys.argv[2:6]
    floor_time, floor_peak = measure([floor, small], repeats)
    batch_time, batch_peak = measure([checker, "--batch", small, "--output", "/dev/null"], repeats)
    large_time, large_peak = measure([checker, "--batch", large, "--output", "/dev/null"], repeats)

    def verdict(ok):
        return "ok" if ok else "MISSED"

    print(f"floor (open, read, close), 3,000 cards:  {floor_time:.3f} s  peak {floor_peak:.1f} MiB")
    print(f"batch mode, 3,000 cards:                 {batch_time:.3f} s  peak {batch_peak:.1f} MiB")
    print(f"batch mode, 30,000 cards:                {large_time:.3f} s  peak {large_peak:.1f} MiB")
    print(f"batch / floor:        {batch_time / floor_time:.2f} (target <= 1.5)  {verdict(batch_time <= 1.5 * floor_time)}")
    print(f"peak memory:          {max(batch_peak, large_peak):.1f} MiB (target < 40)  {verdict(max(batch_peak, large_peak) < 40)}")
    print(f"30,000 / 3,000 cards: {large_time / batch_time:.2f} (target <= 1.3)  {verdict(large_time <= 1.3 * batch_time)}")


main()
