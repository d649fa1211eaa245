#!/usr/bin/env bash
# Runs two builds of the batch mode over the same folders and options and
# says where their outputs differ: the CSV, every report and the average
# decks, byte for byte, and the workbooks sheet by sheet (their XML, which
# holds the cells; the zip around it carries dates).
#
#   scripts/compare_builds.sh OLD_PROGRAM NEW_PROGRAM FOLDER [BASELINE]
set -uo pipefail
old=$1 new=$2 folder=$3 baseline=${4:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

run() {  # run NAME PROGRAM ARGS...
    local name=$1 program=$2
    shift 2
    local out="$work/$name" average=()
    mkdir -p "$out/avg"
    # The average decks: a folder with --by-folder, else a file.
    case " $* " in
        *" --by-folder "*) average=(--average-deck "$out/avg") ;;
        *) average=(--average-deck "$out/avg/all.txt") ;;
    esac
    "$program" --batch "$folder" --output "$out/plain.csv" --report "$out/r.csv" --report "$out/r.json" \
        --report "$out/r.xlsx" "${average[@]}" "$@" >"$out/stdout" 2>"$out/stderr"
    echo $? >"$out/status"
    # The plain CSV alone, without reports, as most runs are made.
    "$program" --batch "$folder" "$@" >"$out/plain-stdout.csv" 2>"$out/plain-stderr"
    if [ -f "$out/r.xlsx" ]; then
        mkdir -p "$out/xlsx" && unzip -q -o "$out/r.xlsx" -d "$out/xlsx" && rm "$out/r.xlsx"
        rm -f "$out/xlsx/docProps/core.xml"
    fi
}

compare() {  # compare LABEL ARGS...
    local label=$1
    shift
    rm -rf "$work/old" "$work/new"
    run old "$old" "$@"
    run new "$new" "$@"
    if diff -r "$work/old" "$work/new" >"$work/diff"; then
        echo "same: $label"
    else
        echo "DIFFERENT: $label"
        head -20 "$work/diff"
        status=1
    fi
}

compare "defaults"
compare "copies, no side, utf-8" --sort copies --no-side --encoding utf-8
compare "merge by name, copy limit 5" --merge-by-name --copy-limit 5
compare "by folder" --by-folder
if [ -n "$baseline" ]; then
    compare "compare" --compare "$baseline"
    compare "by folder, compare" --by-folder --compare "$baseline" --copy-limit 4
fi
exit $status
