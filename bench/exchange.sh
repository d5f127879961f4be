#!/usr/bin/env bash
# Export and import of 20,000 films without covers as CSV, side by side with the sqlite3 shell doing the same
# work: `.mode csv` output of the export's query, and `.import` of the same file (our export) into a bare table
# with the same columns. Both sides run through `sh -c` alike, several times each and taking turns; the fastest
# run of each counts.
# usage: bench/exchange.sh BUILD_DIR   (scripts/bench passes its Release build)
set -euo pipefail
build=$(cd "${1:?usage: bench/exchange.sh BUILD_DIR}" && pwd)
tool="$build/tools/vantrelle-tool"
films=20000
runs=7
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

"$tool" create Movies.mdb >/dev/null
# Every column filled but the cover, with text of the lengths a catalogue holds.
sqlite3 Movies.mdb <<SQL
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $films)
INSERT INTO Movies (NameOfMovie, Genre, Director, Tagline, Runtime, Format, NoOfCds, CastMemberName1,
    CastMemberName2, CastMemberName3, CastMemberName4, Character1, Character2, Character3, Character4, Year)
SELECT printf('The %s Affair, part %d', hex(randomblob(4)), i), 'Drama, Thriller', 'Director ' || (i % 500),
    printf('A tagline "quoted" for film %d, with a comma and an ending', i), 80 + i % 100, 'DVD', 1 + i % 3,
    'Actor ' || i, 'Actress ' || i, 'Actor ' || (i + 1), 'Actress ' || (i + 2), 'Hero', 'Villain', 'Friend',
    'Stranger', 1920 + i % 100
FROM n;
SQL
query="SELECT * FROM Movies ORDER BY NameOfMovie"
columns=$(sqlite3 Movies.mdb "SELECT group_concat(name, ', ') FROM pragma_table_info('Movies')")

now() { date +%s%N; }
# Nanoseconds that `sh -c COMMAND` takes.
took() {
    local start
    start=$(now)
    sh -c "$1"
    echo $(($(now) - start))
}
# Runs our COMMAND and the REFERENCE command $runs times each, taking turns, so that a change of the machine's
# load falls on both alike; each SETUP (a function name) runs untimed before its side's command. Prints the
# fastest run of each side in nanoseconds: "ours reference".
sideBySide() {
    local setup=$1 command=$2 referenceSetup=$3 reference=$4 ours=0 theirs=0 time
    for _ in $(seq "$runs"); do
        "$setup"
        time=$(took "$command")
        if ((ours == 0 || time < ours)); then ours=$time; fi
        "$referenceSetup"
        time=$(took "$reference")
        if ((theirs == 0 || time < theirs)); then theirs=$time; fi
    done
    echo "$ours $theirs"
}
nothing() { :; }
freshCatalogue() { rm -f Copy.mdb && "$tool" create Copy.mdb >/dev/null; }
bareTable() { rm -f Bare.db && sqlite3 Bare.db "CREATE TABLE Bare ($columns)"; }

read -r oursExport referenceExport < <(sideBySide nothing "'$tool' export Movies.mdb > ours.csv" \
    nothing "sqlite3 -csv -header Movies.mdb '$query' > reference.csv")
read -r oursImport referenceImport < <(sideBySide freshCatalogue "'$tool' import ours.csv Copy.mdb > /dev/null" \
    bareTable "sqlite3 Bare.db '.import --csv --skip 1 ours.csv Bare'")

# Both imports must hold every film as the catalogue does, in every column but the ID and the (null) cover;
# compared as text, since the bare table keeps the file's text as it is.
values=$(sqlite3 Movies.mdb "SELECT group_concat('CAST(' || name || ' AS TEXT)', ', ')
    FROM pragma_table_info('Movies') WHERE name NOT IN ('ID', 'Cover')")
sameFilms() {
    sqlite3 "$1" "ATTACH 'Movies.mdb' AS original; SELECT count(*) FROM
        (SELECT $values FROM $2 INTERSECT SELECT $values FROM original.Movies)"
}
[ "$(sameFilms Copy.mdb Movies)" = "$films" ] || { echo "the import lost or changed films" >&2; exit 1; }
[ "$(sameFilms Bare.db Bare)" = "$films" ] || { echo "the reference lost or changed films" >&2; exit 1; }

ms() { awk -v ns="$1" 'BEGIN { printf "%.1f", ns / 1e6 }'; }
echo "info export.csv.ours_ms $(ms "$oursExport")"
echo "info export.csv.sqlite3_ms $(ms "$referenceExport")"
echo "info import.csv.ours_ms $(ms "$oursImport")"
echo "info import.csv.sqlite3_ms $(ms "$referenceImport")"
awk -v a="$oursExport" -v b="$referenceExport" 'BEGIN { printf "ratio export.csv %.2f\n", a / b }'
awk -v a="$oursImport" -v b="$referenceImport" 'BEGIN { printf "ratio import.csv %.2f\n", a / b }'
