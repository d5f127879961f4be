#pragma once

// The title index: one SQLite file built from the public title datasets by the importer and read by
// the title service. The importer writes it whole and renames it into place; the service only reads.

#include <string_view>

namespace vantrelle::titleindex {

// Bumped whenever the tables below change; the service refuses an index of another version.
inline constexpr int kSchemaVersion = 2;

// Title numbers and person numbers are stored without their "tt" / "nm" prefix and leading zeros
// (tt0133093 is 133093); pages show a title number with at least 7 digits.
//
// titles.rank orders the titles by votes, most first (1-based, ties by number). The word index uses
// the rank as its rowid, so a search that reads matches in rowid order meets the best-known titles
// first and can stop after the first page of hits.
inline constexpr std::string_view kSchemaSql = R"sql(
CREATE TABLE meta (
    key TEXT PRIMARY KEY,
    value TEXT NOT NULL
) WITHOUT ROWID;
CREATE TABLE titles (
    number INTEGER PRIMARY KEY,
    rank INTEGER NOT NULL UNIQUE,
    type TEXT NOT NULL,
    title TEXT NOT NULL,
    original_title TEXT,
    year INTEGER,
    runtime INTEGER,
    genres TEXT,
    votes INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE directors (
    title INTEGER NOT NULL,
    position INTEGER NOT NULL,
    person INTEGER NOT NULL,
    PRIMARY KEY (title, position)
) WITHOUT ROWID;
CREATE TABLE cast_members (
    title INTEGER NOT NULL,
    position INTEGER NOT NULL,
    person INTEGER NOT NULL,
    characters TEXT,
    PRIMARY KEY (title, position)
) WITHOUT ROWID;
CREATE TABLE people (
    number INTEGER PRIMARY KEY,
    name TEXT NOT NULL
);
CREATE VIRTUAL TABLE title_words USING fts5(
    words, content='', columnsize=0, detail=none,
    tokenize='unicode61 remove_diacritics 2', prefix='1 2 3'
);
)sql";

// Column meanings:
//   meta          ('schema_version', kSchemaVersion), ('source', the folder imported from),
//                 ('imported_at', ISO 8601 UTC)
//   titles        type = titleType (never tvEpisode); title = primaryTitle (originalTitle when that is
//                 \N); original_title = originalTitle; year = startYear; runtime = runtimeMinutes;
//                 genres = the dataset's comma-separated genres; votes = numVotes from title.ratings
//                 (0 when unrated or \N); NULL where the dataset has \N
//   directors     the title's directors in title.crew order, position from 1
//   cast_members  the first four principals of category actor, actress or self by ordering (as a
//                 number) among those that name.basics names, position 1 to 4; characters = the
//                 JSON array's strings joined by " / ", or NULL
//   people        only the people some kept row names; name = primaryName
//   title_words   rowid = titles.rank; words = title, plus original_title when it differs, with
//                 Latin letters spelled in ASCII (ICU's Latin-ASCII: ø as o, ß as ss, æ as ae); a
//                 search is folded the same way

} // namespace vantrelle::titleindex
