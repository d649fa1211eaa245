#!/usr/bin/env bash
# Builds the Windows batch program and tests it under Wine: the engine,
# analysis and export tests, then the batch mode on the samples and the
# golden decks, whose outputs must be those of the Linux program (see
# compare_outputs.py for what may differ).
#
#   scripts/windows/test.sh LINUX_PROGRAM [BUILD]
set -euo pipefail
cd "$(dirname "$0")/../.."
linux=$(realpath "$1")
build=$(realpath -m "${2:-build-windows}")
scripts/windows/build.sh "$build"

# A prefix of our own, made once, without a display and without the
# installers (Mono, Gecko) that would ask for one.
export WINEPREFIX="$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    # Its status tells little (a slow first start may be reported as a
    # failure); the prefix it leaves is what counts.
    wine wineboot --init >/dev/null 2>&1 || true
    wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] || { echo "Wine could not make its prefix in $WINEPREFIX" >&2; exit 1; }
fi
# Wine's server and services end a few seconds after the last program:
# nothing of Wine is left running when the tests are done.
trap 'wineserver -w 2>/dev/null || true' EXIT

# Tests that cannot hold on Windows, and why:
# - paths made from UTF-8 string literals, which Windows reads in its code
#   page (the program makes its paths from text with pathFromBytes):
skip=MatchResults.RowsFindTheirDecksByPathAndTheRestAreToldInTheFilesOrder
skip+=:DeckTypes.EveryFolderIsATypeOfItsOwnUnderADistinctName
skip+=:AverageDeckFile.TheWarningNamesTheFileAndTheCardWithItsLineBreaksShown
# - a folder named in Shift_JIS bytes: Windows names are UTF-16, never bytes:
skip+=:FolderAnalysis.FolderNamesInShiftJisAreShownDecoded
# - a message expected with the path as path::string() gives it ("\"); the
#   program writes its paths with "/" on every system:
skip+=:FolderAnalysis.WhatStopsTheAnalysisBeforeADeckIsRead
# - a type folder named "Con:trol", a name Windows does not allow:
skip+=:DeckTypes.SubFoldersAreTypesWithTablesOfTheirOwn
# - workbooks read back with the unzip command, which Windows does not have
#   (the batch comparison below reads every sheet's cells instead):
skip+=:ReportXlsx.HoldsTheCardsWithTextNumbersPercentagesAFrozenHeaderAndAFilter
skip+=:ReportXlsx.TextsStayAsWrittenWhereXmlOrExcelWouldChangeThem
skip+=:ReportXlsxTypes.*:ReportColumns.CsvJsonAndWorkbookAgreeOnEveryTitleKeyAndValue
skip+=:XlsxZip.PiecesDeflatedApartJoinIntoOnePartThatUnzips:XlsxBook.SheetsLargeAndSmallComeOutWholeAndInOrder
# - the process's threads counted in /proc:
skip+=:ReadAheadRun.RunsAsManyWorkersAsAskedAndNoneOutlivesTheRun
# - symbolic links, which Windows gives only to administrators:
skip+=:DeckListing.PlainVisibleMatchingFilesSortedByName
# - POSIX permission bits, and the file size limit (setrlimit, SIGXFSZ):
skip+=:AtomicSave.KeepsThePermissionsOfTheFileItReplaces:AtomicSave.AWriteThatFailsMidwayLeavesTheOldFile
echo "engine, analysis and export tests under Wine"
# They take seconds. Right after Wine made its prefix, while its device
# services were still starting, a run has been seen to hang with no CPU
# used: one that is not done in 90 seconds is ended and taken once more.
wine_tests() { timeout 90 wine "$build/program/tests/engine_tests.exe" --gtest_brief=1 "--gtest_filter=-$skip"; }
set +e
wine_tests
tests_status=$?
set -e
if [ "$tests_status" -eq 124 ]; then
    echo "The tests under Wine hung; Wine restarted and the tests taken once more"
    wineserver -k 2>/dev/null || true
    wine_tests
elif [ "$tests_status" -ne 0 ]; then
    exit "$tests_status"
fi

# The batch mode, run from the repository with relative paths, so that the
# messages of both programs name the same files.
windows="$build/program/sormel-checker.exe"
work=$(realpath -m --relative-to=. "$build/compare")
rm -rf "$work"
status=0
run() {  # run SYSTEM CASE FOLDER ARGS...
    local system=$1 name=$2 folder=$3
    shift 3
    local out="$work/$system/$name" program=("$linux") average=(--average-deck "$work/$system/$name/avg/all.txt")
    [ "$system" = windows ] && program=(wine "$windows")
    case " $* " in *" --by-folder "*) average=(--average-deck "$out/avg") ;; esac
    mkdir -p "$out/avg"
    "${program[@]}" --batch "$folder" --output "$out/plain.csv" --report "$out/r.csv" --report "$out/r.json" \
        --report "$out/r.xlsx" --report "$out/r.html" "${average[@]}" "$@" >"$out/stdout" 2>"$out/stderr" ||
        echo $? >"$out/status"
    # The CSV on standard output, as most runs are made.
    "${program[@]}" --batch "$folder" "$@" >"$out/plain-stdout.csv" 2>"$out/plain-stderr" || echo $? >"$out/plain-status"
}
compare() {  # compare CASE FOLDER ARGS...
    run linux "$@"
    run windows "$@"
    if scripts/windows/compare_outputs.py "$work/linux/$1" "$work/windows/$1"; then
        echo "same: $1"
    else
        echo "DIFFERENT: $1"
        status=1
    fi
}
compare decks samples/decks
compare decks-copies samples/decks --sort copies --no-side --encoding utf-8
compare decks-merged samples/decks --merge-by-name --copy-limit 5
compare decks-compared samples/decks --compare tests/golden/decks
compare golden tests/golden/decks
compare golden-utf8 tests/golden/decks --encoding utf-8-bom
compare dek samples/dek
compare ydk samples/ydk
compare exports samples/exports
compare lists samples/lists
compare periods samples/periods --periods
compare by-folder samples/periods --by-folder
compare results samples/results --results samples/results/results.csv --place-from-name '^(\d+)位'
# The golden CSV files are the program's, on Windows too.
cmp tests/golden/expected-cp932.csv "$work/windows/golden/plain.csv" || status=1
[ $status -eq 0 ] && rm -rf "$work"
exit $status
