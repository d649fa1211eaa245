#!/usr/bin/env python3
"""Write a folder of synthetic deck files for benchmarks and manual trials.

Each file is one deck: `count,card number,card name` per line, a line `--`
before the side part, CR LF line ends, Shift_JIS (cp932) text by default.
Card popularity follows a Zipf-like curve, as in real tournament data: a few
staples sit in most decks, most cards in few.

    make_decks.py OUTDIR [--decks 2000] [--cards 1500] [--seed 1]
                         [--encoding cp932|utf-8] [--eol crlf|lf]

The same arguments always give byte-identical files.
"""
import argparse
import bisect
import itertools
import os
import random

KANA = "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン"
KANJI = "竜炎氷雷光闇剣盾王姫騎士魔導獣神聖天星月影風森海山"


def card_name(rng):
    name = "".join(rng.choice(KANA) for _ in range(rng.randint(2, 6)))
    if rng.random() < 0.6:
        name = rng.choice(KANJI) + rng.choice(KANJI) + "の" + name
    return name


def build_pool(rng, cards):
    sets = [f"SD{n:02d}" for n in range(1, 41)] + [f"BT{n:02d}" for n in range(1, 41)]
    per_set = max(120, 2 * cards // len(sets))
    pool, seen = [], set()
    while len(pool) < cards:
        number = f"{rng.choice(sets)}-{rng.randint(1, per_set):03d}"
        if number not in seen:
            seen.add(number)
            pool.append((number, card_name(rng)))
    return pool


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("outdir")
    ap.add_argument("--decks", type=int, default=2000)
    ap.add_argument("--cards", type=int, default=1500, help="distinct card numbers in the pool")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--encoding", choices=["cp932", "utf-8"], default="cp932")
    ap.add_argument("--eol", choices=["crlf", "lf"], default="crlf")
    args = ap.parse_args()

    rng = random.Random(args.seed)
    pool = build_pool(rng, args.cards)
    cumulative = list(itertools.accumulate(1.0 / (rank + 1) ** 0.9 for rank in range(len(pool))))
    eol = "\r\n" if args.eol == "crlf" else "\n"
    os.makedirs(args.outdir, exist_ok=True)

    def pick():
        return pool[bisect.bisect(cumulative, rng.random() * cumulative[-1])]

    width = len(str(args.decks))
    for i in range(args.decks):
        lines = [f"# デッキ {i + 1}"]
        main_part = {pick() for _ in range(rng.randint(14, 24))}
        side_part = {pick() for _ in range(rng.randint(0, 8))}
        for number, name in sorted(main_part):
            lines.append(f"{rng.choice((3, 3, 3, 2, 2, 1))},{number},{name}")
        if side_part:
            lines.append("--")
            for number, name in sorted(side_part):
                lines.append(f"{rng.choice((1, 1, 2, 3))},{number},{name}")
        path = os.path.join(args.outdir, f"deck{i + 1:0{width}d}.txt")
        with open(path, "wb") as f:
            f.write((eol.join(lines) + eol).encode(args.encoding))


if __name__ == "__main__":
    main()
