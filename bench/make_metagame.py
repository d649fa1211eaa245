#!/usr/bin/env python3
"""Writes a folder of decks of K known deck types, for measuring how well
type rules and suggested types find them.

    make_metagame.py OUT --types K --decks N [--cards C] [--seed S]
    make_metagame.py --ari TRUTH.csv TYPED.csv      (adjusted Rand index)
    make_metagame.py --agree TRUTH.csv TYPED.csv    (share of decks typed as true)

Each type has core cards (in nearly every deck of the type), flex cards (in
some of its decks) and draws on staples every type shares; every deck has 0
to 4 random cards of the whole pool beyond its type's. About two types in
three are a "sister" of an earlier type and share half of its core. Shares
follow a long tail, the smallest type holding at least 1 % of the decks.

OUT/decks/ holds the decks (the program's own format, Shift_JIS), OUT/truth.csv
"file,type" for each, and OUT/cores.toml rules written from the true cores:
for each type up to three core cards no other type's core holds (the whole
core when its sisters hold them all), with a nearest-type fallback.
"""
import argparse
import csv
import os
import random
import sys
from collections import Counter


def card_key(i):
    return f"KT{i:05d}"


def shares(k):
    weights = [1.0 / (i + 1) for i in range(k)]
    total = sum(weights)
    raw = [max(w / total, 0.0101) for w in weights]
    total = sum(raw)
    return [r / total for r in raw]


def deck_counts(n, k):
    exact = [s * n for s in shares(k)]
    counts = [int(e) for e in exact]
    order = sorted(range(k), key=lambda i: exact[i] - counts[i], reverse=True)
    for i in order[: n - sum(counts)]:
        counts[i] += 1
    return counts


def make_types(rng, k, pool):
    free = list(range(pool))
    rng.shuffle(free)
    types = []
    for t in range(k):
        core = []
        if types and rng.random() < 2 / 3:
            sister = rng.choice(types)
            core = rng.sample(sister["core"], len(sister["core"]) // 2)
        own = rng.randint(4, 7)
        core += [free.pop() for _ in range(own)]
        flex = [free.pop() for _ in range(rng.randint(6, 14))]
        types.append({"name": f"型{t + 1:02d}", "core": core, "flex": flex})
    staples = [free.pop() for _ in range(10)]
    return types, staples


def draw(rng, kind, staples, pool):
    main = Counter()
    for c in kind["core"]:
        if rng.random() < 0.96:
            main[c] += rng.choice((2, 3, 4, 4))
    for c in kind["flex"]:
        if rng.random() < 0.4:
            main[c] += rng.choice((1, 2, 3))
    for c in staples:
        if rng.random() < 0.3:
            main[c] += rng.choice((1, 2, 4))
    for _ in range(rng.randint(0, 4)):
        main[rng.randrange(pool)] += 1
    side = Counter()
    for _ in range(rng.randint(0, 4)):
        side[rng.choice(staples)] += 1
    return main, side


def write_deck(path, main, side):
    lines = ["枚数,カード番号,カード名"]
    lines += [f"{n},{card_key(c)},札{c:05d}" for c, n in sorted(main.items())]
    if side:
        lines.append("--")
        lines += [f"{n},{card_key(c)},札{c:05d}" for c, n in sorted(side.items())]
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp932"))


def write_cores(path, types):
    with open(path, "w", encoding="utf-8") as f:
        f.write("similarity = 0.5\n")
        for kind in types:
            others = {c for o in types if o is not kind for c in o["core"]}
            own = [c for c in kind["core"] if c not in others][:3] or kind["core"]
            cards = ", ".join(f'"{card_key(c)}"' for c in own)
            f.write(f'\n[[type]]\nname = "{kind["name"]}"\nall = [{cards}]\n')


def labels(path):
    with open(path, encoding="utf-8-sig", newline="") as f:
        return {row[0]: row[1] for row in csv.reader(f) if len(row) >= 2 and row[0] != "file"}


def ari(truth, typed):
    files = [f for f in truth if f in typed]
    pairs = lambda x: x * (x - 1) / 2  # noqa: E731
    n = len(files)
    if n < 2:
        return 1.0
    both = sum(pairs(v) for v in Counter((truth[f], typed[f]) for f in files).values())
    a = sum(pairs(v) for v in Counter(truth[f] for f in files).values())
    b = sum(pairs(v) for v in Counter(typed[f] for f in files).values())
    expected = a * b / pairs(n)
    top = (a + b) / 2
    return 1.0 if top == expected else (both - expected) / (top - expected)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("out", nargs="?")
    ap.add_argument("--types", type=int, default=8)
    ap.add_argument("--decks", type=int, default=2000)
    ap.add_argument("--cards", type=int, default=0, help="card pool (default: 40 per type, at least 400)")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--ari", nargs=2, metavar=("TRUTH", "TYPED"))
    ap.add_argument("--agree", nargs=2, metavar=("TRUTH", "TYPED"))
    a = ap.parse_args()
    if a.ari:
        print(f"{ari(labels(a.ari[0]), labels(a.ari[1])):.4f}")
        return
    if a.agree:
        truth, typed = labels(a.agree[0]), labels(a.agree[1])
        print(f"{sum(typed.get(f) == t for f, t in truth.items()) / len(truth):.4f}")
        return
    if not a.out:
        ap.error("OUT is required")
    rng = random.Random(a.seed)
    pool = a.cards or max(400, 40 * a.types)
    types, staples = make_types(rng, a.types, pool)
    kinds = [t for t, count in zip(types, deck_counts(a.decks, a.types)) for _ in range(count)]
    rng.shuffle(kinds)
    os.makedirs(os.path.join(a.out, "decks"), exist_ok=True)
    with open(os.path.join(a.out, "truth.csv"), "w", encoding="utf-8", newline="") as f:
        out = csv.writer(f, lineterminator="\n")
        out.writerow(("file", "type"))
        for d, kind in enumerate(kinds):
            name = f"d{d:06d}.txt"
            write_deck(os.path.join(a.out, "decks", name), *draw(rng, kind, staples, pool))
            out.writerow((name, kind["name"]))
    write_cores(os.path.join(a.out, "cores.toml"), types)
    print(f"{a.decks} decks of {a.types} types in {a.out}", file=sys.stderr)


if __name__ == "__main__":
    main()
