#!/usr/bin/env python3
"""Write a results file (CSV) for the decks of a folder, for benchmarks of
the deck results: every deck's path relative to the folder, a place for
most of them and a record of wins, losses and draws.

    make_results.py DECK_DIR OUT.csv [--seed 1]

Decks are taken as the batch mode lists them with --by-folder (the files
directly in the folder and in its first-level sub-folders). The same
arguments always give the same file."""
import argparse
import os
import random


def deck_paths(folder):
    paths = []
    for entry in sorted(os.scandir(folder), key=lambda e: e.name.encode()):
        if entry.name.startswith("."):
            continue
        if entry.is_dir():
            for inner in sorted(os.scandir(entry.path), key=lambda e: e.name.encode()):
                if inner.is_file() and not inner.name.startswith("."):
                    paths.append(f"{entry.name}/{inner.name}")
        elif entry.is_file() and entry.name.endswith(".txt"):
            paths.append(entry.name)
    return paths


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("out")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    paths = deck_paths(args.folder)
    places = list(range(1, len(paths) + 1))
    rng.shuffle(places)
    with open(args.out, "w", encoding="utf-8", newline="") as out:
        out.write("file,place,wins,losses,draws\r\n")
        for path, place in zip(paths, places):
            wins = rng.randint(0, 9)
            losses = rng.randint(0, 9 - wins)
            draws = rng.randint(0, 1)
            shown_place = "" if rng.random() < 0.1 else str(place)
            out.write(f'"{path}",{shown_place},{wins},{losses},{draws}\r\n')


main()
