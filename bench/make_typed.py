#!/usr/bin/env python3
"""Writes a metagame (bench/make_metagame.py) with each deck in its type's
sub-folder, as a user who sorts decks by type keeps them.

    make_typed.py OUT --types K --decks N [--cards C] [--seed S]

OUT/<type>/<deck> for every deck, OUT.flat/decks/ the same files (hard links)
in one folder, for the plain run and the floor; OUT/.complete once done."""
import argparse
import csv
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("out")
    ap.add_argument("--types", type=int, required=True)
    ap.add_argument("--decks", type=int, required=True)
    ap.add_argument("--cards", type=int, default=0)
    ap.add_argument("--seed", type=int, default=1)
    a = ap.parse_args()
    if os.path.exists(os.path.join(a.out, ".complete")):
        return
    shutil.rmtree(a.out, ignore_errors=True)
    flat = a.out + ".flat"
    shutil.rmtree(flat, ignore_errors=True)
    args = [sys.executable, os.path.join(HERE, "make_metagame.py"), flat, "--types", str(a.types),
            "--decks", str(a.decks), "--seed", str(a.seed)]
    if a.cards:
        args += ["--cards", str(a.cards)]
    subprocess.run(args, check=True)
    with open(os.path.join(flat, "truth.csv"), encoding="utf-8", newline="") as f:
        rows = [row for row in csv.reader(f)][1:]
    for name, kind in rows:
        folder = os.path.join(a.out, kind)
        os.makedirs(folder, exist_ok=True)
        os.link(os.path.join(flat, "decks", name), os.path.join(folder, name))
    open(os.path.join(a.out, ".complete"), "w").close()


if __name__ == "__main__":
    main()
