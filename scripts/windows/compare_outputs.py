#!/usr/bin/env python3
"""Says where two runs' output folders differ: every file byte for byte,
except workbooks (compared by their sheets' cells), JSON (by value) and the
web page (its embedded data), which leave out what names the run's date and
folder: the 条件 sheet's 集計日時 and folder cells, and JSON "folder" and
"date" fields.

    compare_outputs.py EXPECTED_FOLDER ACTUAL_FOLDER
"""
import json
import re
import sys
import zipfile
import xml.etree.ElementTree as ET
from pathlib import Path

MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
RELS = "{http://schemas.openxmlformats.org/package/2006/relationships}"
DOC_RELS = "{http://schemas.openxmlformats.org/officeDocument/2006/relationships}"
RUN_CELLS = {"集計日時", "フォルダー", "前回フォルダー"}
RUN_FIELDS = {"folder", "date"}


def text_of(element):
    return "".join(t.text or "" for t in element.iter(MAIN + "t"))


def sheets(path):
    """{sheet name: {cell reference: (type, value)}}"""
    with zipfile.ZipFile(path) as book:
        shared = []
        if "xl/sharedStrings.xml" in book.namelist():
            root = ET.fromstring(book.read("xl/sharedStrings.xml"))
            shared = [text_of(si) for si in root.iter(MAIN + "si")]
        targets = {r.get("Id"): r.get("Target")
                   for r in ET.fromstring(book.read("xl/_rels/workbook.xml.rels")).iter(RELS + "Relationship")}
        result = {}
        for sheet in ET.fromstring(book.read("xl/workbook.xml")).iter(MAIN + "sheet"):
            name = sheet.get("name")
            target = targets[sheet.get(DOC_RELS + "id")].lstrip("/")
            target = target if target.startswith("xl/") else "xl/" + target
            cells = {}
            for row in ET.fromstring(book.read(target)).iter(MAIN + "row"):
                values = {}
                for cell in row.iter(MAIN + "c"):
                    kind = cell.get("t", "n")
                    v = cell.find(MAIN + "v")
                    if kind == "inlineStr":
                        value = text_of(cell)
                    elif kind == "s":
                        value = shared[int(v.text)]
                    else:
                        value = v.text if v is not None else ""
                    values[cell.get("r")] = (kind if kind != "s" else "inlineStr", value, cell.get("s"))
                first = next(iter(values.values()), ("", "", None))[1]
                if name == "条件" and first in RUN_CELLS:
                    continue
                cells.update(values)
            result[name] = cells
        return result


def without_run_fields(value):
    if isinstance(value, dict):
        return {k: without_run_fields(v) for k, v in value.items() if k not in RUN_FIELDS}
    if isinstance(value, list):
        return [without_run_fields(v) for v in value]
    return value


def html_without_run_fields(data):
    data = re.sub(rb'"(folder|date)":"(\\.|[^"\\])*"', rb'"\1":""', data)
    # The page's conditions table: the run's date and folders, as pairs.
    cells = b"|".join(re.escape(cell.encode()) for cell in sorted(RUN_CELLS))
    return re.sub(rb'\["(' + cells + rb')","(\\.|[^"\\])*"\]', rb'["\1",""]', data)


def differs(expected, actual):
    suffix = expected.suffix.lower()
    if suffix == ".xlsx":
        a, b = sheets(expected), sheets(actual)
        if list(a) != list(b):
            return f"sheets {list(a)} != {list(b)}"
        for name in a:
            if a[name] != b[name]:
                changed = sorted(set(a[name].items()) ^ set(b[name].items()))[:4]
                return f"sheet {name}: {changed}"
        return None
    if suffix == ".json":
        a = without_run_fields(json.loads(expected.read_bytes()))
        b = without_run_fields(json.loads(actual.read_bytes()))
        return None if a == b else "different values"
    if suffix == ".html":
        same = html_without_run_fields(expected.read_bytes()) == html_without_run_fields(actual.read_bytes())
        return None if same else "different page"
    a, b = expected.read_bytes(), actual.read_bytes()
    if a == b:
        return None
    at = next((i for i in range(min(len(a), len(b))) if a[i] != b[i]), min(len(a), len(b)))
    return f"bytes differ at {at}: {a[at:at + 60]!r} != {b[at:at + 60]!r}"


def main():
    expected, actual = Path(sys.argv[1]), Path(sys.argv[2])
    names = sorted({p.relative_to(expected) for p in expected.rglob("*") if p.is_file()} |
                   {p.relative_to(actual) for p in actual.rglob("*") if p.is_file()})
    status = 0
    for name in names:
        if not (expected / name).is_file() or not (actual / name).is_file():
            print(f"  {name}: only in {'the Linux' if (expected / name).is_file() else 'the Windows'} run")
            status = 1
            continue
        reason = differs(expected / name, actual / name)
        if reason:
            print(f"  {name}: {reason}")
            status = 1
    return status


if __name__ == "__main__":
    sys.exit(main())
