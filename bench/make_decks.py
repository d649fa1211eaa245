#!/usr/bin/env python3
"""Write a folder of synthetic deck files for benchmarks and manual trials.

Each file is one deck, in one of three formats:
  native  `count,card number,card name` per line, a line `--` before the side
          part, Shift_JIS (cp932) text by default (deckNNNN.txt);
  list    a plain text list as players export it: `COUNT NAME` per line and
          a line `Sideboard` before the side part, UTF-8 (deckNNNN.txt);
  dek     MTGO .dek XML, one `Cards` element per card, UTF-8 (deckNNNN.dek).
CR LF line ends by default. Every format holds the same decks for the same
arguments. Card popularity follows a Zipf-like curve, as in real tournament
data: a few staples sit in most decks, most cards in few.

    make_decks.py OUTDIR [--decks 2000] [--cards 1500] [--seed 1]
                         [--format native|list|dek]
                         [--encoding cp932|utf-8] [--eol crlf|lf]

The same arguments always give byte-identical files.
"""
import argparse
import bisect
import itertools
import os
import random
from xml.sax.saxutils import quoteattr

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
            pool.append((number, card_name(rng), len(pool) + 1))
    return pool


# Each writer takes the deck's number and its main and side parts, lists of
# ((card number, card name, catalogue id), copies), and gives its lines.
def native_lines(deck_number, main_part, side_part):
    lines = [f"# デッキ {deck_number}"]
    lines += [f"{copies},{number},{name}" for (number, name, _), copies in main_part]
    if side_part:
        lines.append("--")
        lines += [f"{copies},{number},{name}" for (number, name, _), copies in side_part]
    return lines


def list_lines(deck_number, main_part, side_part):
    lines = [f"{copies} {name}" for (_, name, _), copies in main_part]
    if side_part:
        lines.append("Sideboard")
        lines += [f"{copies} {name}" for (_, name, _), copies in side_part]
    return lines


def dek_lines(deck_number, main_part, side_part):
    lines = ['<?xml version="1.0" encoding="utf-8"?>',
             '<Deck xmlns:xsd="http://www.w3.org/2001/XMLSchema" '
             'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">',
             "  <NetDeckID>0</NetDeckID>",
             "  <PreconstructedDeckID>0</PreconstructedDeckID>"]
    for side, part in (("false", main_part), ("true", side_part)):
        for (_, name, cat_id), copies in part:
            lines.append(f'  <Cards CatID="{cat_id}" Quantity="{copies}" Sideboard="{side}" '
                         f'Name={quoteattr(name)} Annotation="0" />')
    lines.append("</Deck>")
    return lines


def csv_field(text):
    return '"' + text.replace('"', '""') + '"' if any(c in text for c in ',"\r\n') else text


def csv_lines(deck_number, main_part, side_part):
    lines = ["Count,Name,Edition,Collector Number,Board"]
    for board, part in (("main", main_part), ("side", side_part)):
        for (number, name, _), copies in part:
            lines.append(f"{copies},{csv_field(name)},bch,{number},{board}")
    return lines


def cod_lines(deck_number, main_part, side_part):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', '<cockatrice_deck version="1">',
             f"    <deckname>Deck {deck_number}</deckname>"]
    for zone, part in (("main", main_part), ("side", side_part)):
        lines.append(f'    <zone name="{zone}">')
        lines += [f'        <card number="{copies}" name={quoteattr(name)}/>' for (_, name, _), copies in part]
        lines.append("    </zone>")
    lines.append("</cockatrice_deck>")
    return lines


WRITERS = {"native": (native_lines, ".txt"), "list": (list_lines, ".txt"), "dek": (dek_lines, ".dek"),
           "csv": (csv_lines, ".csv"), "cod": (cod_lines, ".cod")}


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("outdir")
    ap.add_argument("--decks", type=int, default=2000)
    ap.add_argument("--cards", type=int, default=1500, help="distinct card numbers in the pool")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--format", choices=sorted(WRITERS), default="native")
    ap.add_argument("--encoding", choices=["cp932", "utf-8"],
                    help="cp932 by default for native, utf-8 for the others (.dek and .cod always utf-8)")
    ap.add_argument("--eol", choices=["crlf", "lf"], default="crlf")
    args = ap.parse_args()

    encoding = args.encoding or ("cp932" if args.format == "native" else "utf-8")
    if args.format in ("dek", "cod") and encoding != "utf-8":
        ap.error("XML decks are UTF-8")
    write_lines, extension = WRITERS[args.format]

    rng = random.Random(args.seed)
    pool = build_pool(rng, args.cards)
    cumulative = list(itertools.accumulate(1.0 / (rank + 1) ** 0.9 for rank in range(len(pool))))
    eol = "\r\n" if args.eol == "crlf" else "\n"
    os.makedirs(args.outdir, exist_ok=True)

    def pick():
        return pool[bisect.bisect(cumulative, rng.random() * cumulative[-1])]

    width = len(str(args.decks))
    for i in range(args.decks):
        main_cards = {pick() for _ in range(rng.randint(14, 24))}
        side_cards = {pick() for _ in range(rng.randint(0, 8))}
        main_part = [(card, rng.choice((3, 3, 3, 2, 2, 1))) for card in sorted(main_cards)]
        side_part = [(card, rng.choice((1, 1, 2, 3))) for card in sorted(side_cards)]
        lines = write_lines(i + 1, main_part, side_part)
        path = os.path.join(args.outdir, f"deck{i + 1:0{width}d}{extension}")
        with open(path, "wb") as f:
            f.write((eol.join(lines) + eol).encode(encoding))


if __name__ == "__main__":
    main()
