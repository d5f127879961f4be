#!/usr/bin/env bash
# Export and import of 20,000 films without covers as CSV, side by side with the sqlite3 shell doing the same
# work: `.mode csv` output of the export's query, and `.import` of the same file (our export) into a bare table
# with the same columns. Both sides run through `sh -c` alike, several times each; the fastest run counts.
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
fastest() { sort -n | head -1; }
# Runs "$@" $runs times and prints the fastest run in nanoseconds; SETUP (a function name) runs before each,
# untimed.
timed() {
    local setup=$1
    shift
    for _ in $(seq "$runs"); do
        "$setup"
        local start
        start=$(now)
        "$@"
        echo $(($(now) - start))
    done | fastest
}
nothing() { :; }
freshCatalogue() { rm -f Copy.mdb && "$tool" create Copy.mdb >/dev/null; }
bareTable() { rm -f Bare.db && sqlite3 Bare.db "CREATE TABLE Bare ($columns)"; }

oursExport=$(timed nothing sh -c "'$tool' export Movies.mdb > ours.csv")
referenceExport=$(timed nothing sh -c "sqlite3 -csv -header Movies.mdb '$query' > reference.csv")
oursImport=$(timed freshCatalogue sh -c "'$tool' import ours.csv Copy.mdb > /dev/null")
referenceImport=$(timed bareTable sh -c "sqlite3 Bare.db '.import --csv --skip 1 ours.csv Bare'")

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
