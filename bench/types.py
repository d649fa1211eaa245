"""Measures deck types from what the decks play, on metagames of known
types written by make_metagame.py:

- suggested types: --suggest-types, the file read back with --types, the
  typing scored against the true types (adjusted Rand index, target >= 0.9)
  for K = 3, 8 and 20 types at 2,000 and 20,000 decks;
- rules from the true core cards: the share of decks typed as their true
  type (target >= 0.99, with the nearest-type fallback);
- speed: typing 20,000 decks by 20 types' rules adds at most 20 % to the
  plain run; --suggest-types on 20,000 decks of 3,000 cards within 10 s and
  512 MiB.

    python3 bench/types.py PROGRAM CORPUS_FOLDER [REPEATS]
"""
import json
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_metagame  # noqa: E402


def corpus(root, k, n, cards=0):
    folder = os.path.join(root, f"types-{k}-{n}-{cards}")
    if not os.path.exists(os.path.join(folder, ".complete")):
        args = [sys.executable, os.path.join(HERE, "make_metagame.py"), folder, "--types", str(k),
                "--decks", str(n), "--seed", str(k * 7 + n)]
        if cards:
            args += ["--cards", str(cards)]
        subprocess.run(args, check=True)
        open(os.path.join(folder, ".complete"), "w").close()
    return folder


# Runs the program in a child of its own, whose children's peak is the program's alone.
MEASURE = ("import resource, subprocess, sys, time\n"
           "start = time.perf_counter()\n"
           "subprocess.run(sys.argv[1:], check=True, stdout=subprocess.DEVNULL)\n"
           "print(time.perf_counter() - start, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)\n")


def run(program, args):
    """Seconds and peak memory (MiB) of one run of the program."""
    out = subprocess.run([sys.executable, "-c", MEASURE, program, "--batch"] + args, check=True,
                         capture_output=True, text=True).stdout.split()
    return float(out[0]), int(out[1]) / 1024


def typed_labels(report):
    with open(report, encoding="utf-8") as f:
        return {deck["file"]: deck["type"] for deck in json.load(f)["deck_list"]}


def main():
    program, root = sys.argv[1], sys.argv[2]
    repeats = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    scratch = os.path.join(root, "scratch")
    os.makedirs(scratch, exist_ok=True)
    rules, report = os.path.join(scratch, "s.toml"), os.path.join(scratch, "r.json")
    worst_ari, worst_agree = 1.0, 1.0
    for n in (2000, 20000):
        for k in (3, 8, 20):
            folder = corpus(root, k, n)
            decks = os.path.join(folder, "decks")
            truth = make_metagame.labels(os.path.join(folder, "truth.csv"))
            run(program, [decks, "--output", "/dev/null", "--suggest-types", rules])
            run(program, [decks, "--output", "/dev/null", "--types", rules, "--report", report])
            score = make_metagame.ari(truth, typed_labels(report))
            run(program, [decks, "--output", "/dev/null", "--types", os.path.join(folder, "cores.toml"),
                          "--report", report])
            typed = typed_labels(report)
            agree = sum(typed.get(f) == t for f, t in truth.items()) / len(truth)
            worst_ari, worst_agree = min(worst_ari, score), min(worst_agree, agree)
            print(f"K={k:2d} N={n:5d}: suggested types ARI {score:.4f} (target >= 0.9), "
                  f"core rules typed right {agree * 100:.2f} % (target >= 99)", flush=True)

    folder = corpus(root, 20, 20000)
    decks = os.path.join(folder, "decks")
    cores = os.path.join(folder, "cores.toml")
    plain, typed = [], []
    for _ in range(repeats):  # in turns, so that the machine's load falls on both alike
        plain.append(run(program, [decks, "--output", "/dev/null"])[0])
        typed.append(run(program, [decks, "--output", "/dev/null", "--types", cores])[0])
    ratio = min(typed) / min(plain)
    print(f"typing by 20 types' rules: {min(typed):.2f} s vs plain {min(plain):.2f} s = {ratio:.2f} x "
          f"(target <= 1.2) {'ok' if ratio <= 1.2 else 'MISSED'}")

    big = os.path.join(corpus(root, 20, 20000, 3000), "decks")
    seconds, peak = run(program, [big, "--output", "/dev/null", "--suggest-types", rules])
    print(f"--suggest-types, 20,000 decks of 3,000 cards: {seconds:.2f} s (target <= 10), "
          f"peak {peak:.0f} MiB (target <= 512) {'ok' if seconds <= 10 and peak <= 512 else 'MISSED'}")
    print(f"worst ARI {worst_ari:.4f} {'ok' if worst_ari >= 0.9 else 'MISSED'}; "
          f"worst core-rules agreement {worst_agree * 100:.2f} % {'ok' if worst_agree >= 0.99 else 'MISSED'}")


if __name__ == "__main__":
    main()
