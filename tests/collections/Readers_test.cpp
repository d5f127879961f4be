// The readers of each kind of collection file, on small files in each program's own shape (tests/fixtures/
// collections): headers of every generation, encodings, quoting, repeated films, nested titles, pictures inside
// a zip and beside the file; and the refusals of other collections and of damaged files.
#include "vantrelle/collections/Collection.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vantrelle::collections;

namespace {

const std::filesystem::path kFixtures = std::filesystem::path(VANTRELLE_FIXTURES_DIR) / "collections";

// "line:title|original|year|number" of each film, "/" between films.
std::string shown(const Collection& collection)
{
    std::string out;
    for (const FileFilm& film : collection.films) {
        out += (out.empty() ? "" : "/") + std::to_string(film.line) + ":" + film.title + "|" + film.originalTitle + "|"
            + (film.year ? std::to_string(*film.year) : "") + "|" + (film.number ? std::to_string(*film.number) : "");
    }
    return out;
}

TEST(CollectionReaders, ReadEachKindInItsOwnShape)
{
    const struct {
        const char* file;
        CollectionKind kind;
        std::string films;
    } cases[] = {
        { "shelf.txt", CollectionKind::list,
            "2:Harbour Lights||1987|/3:Copper Sky||2003|/4:Twelve Bells||1962|/5:|||100004/6:|||100005/"
            "7:|||100006/9:Paper Kingdoms|||/10:Night \"Ferry\"|||/12:1917|||/13:'71|||/14:\u00c9t\u00e9 \u00e0 "
            "Montreuil|||/15:Orbit of Small Things|||" },
        { "imdb-2011.csv", CollectionKind::imdb, "2:Harbour Lights||1987|100001/3:Twelve Bells||1962|100010" },
        { "imdb-2017.csv", CollectionKind::imdb, "2:The Glass Orchard||1994|100002/4:Unknown Shore||2001|100099" },
        { "imdb-2024.csv", CollectionKind::imdb, "2:Estate a Montreuil|\u00c9t\u00e9 \u00e0 Montreuil|1999|100014" },
        { "imdb-1252.csv", CollectionKind::imdb, "2:\u00cele de Sable||2005|100016" },
        { "letterboxd-diary.csv", CollectionKind::letterboxd,
            "2:Copper Sky||2003|/3:\"Lanterns\" Over Vael||1999|/5:Deep Harbour Tapes|||" },
        { "letterboxd-list.csv", CollectionKind::letterboxd,
            "8:Night Ferry to Brellin||1979|/9:Harbour Lights II: Undertow||1991|" },
        { "letterboxd-list-old.csv", CollectionKind::letterboxd, "6:Copper Sky||2003|" },
        { "tellico-films.tc", CollectionKind::tellico, "8:Lanterns Over Vael||1999|/31:Salt & Cinders||1971|" },
        { "tellico-bare.xml", CollectionKind::tellico, "8:Lanterns Over Vael||1999|/31:Salt & Cinders||1971|" },
        { "films.gcs", CollectionKind::gcstar, "17:Signal Lost||2011|100008/40:Brass Meridian||1968|" },
        // The box set is left out for its profiled part; the Blu-ray edition is the DVD's film.
        { "Collection.xml", CollectionKind::dvdProfiler,
            "4:Night Ferry to Brellin||1979|/110:R\u00e9veil \u00e0 Brellin||1981|" },
        { "videodb.xml", CollectionKind::kodi,
            "4:\u0421\u0438\u0433\u043d\u0430\u043b \u043f\u043e\u0442\u0435\u0440\u044f\u043d|Signal Lost|2011|100008/"
            "22:Grey Lighthouse|Grey Lighthouse|1977|199001" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const Collection collection = readCollection(kFixtures / c.file);
        EXPECT_EQ(collection.kind, c.kind);
        EXPECT_EQ(shown(collection), c.films);
    }
}

std::string joined(const std::vector<std::string>& texts)
{
    std::string out;
    for (const std::string& text : texts)
        out += (out.empty() ? "" : ",") + text;
    return out;
}

// "genres|directors|cast (name=character)|runtime|format|discs|tagline|notes"
std::string details(const FileFilm& film)
{
    std::vector<std::string> cast;
    for (const FileCastMember& member : film.cast)
        cast.push_back(member.name + "=" + member.character);
    return joined(film.genres) + "|" + joined(film.directors) + "|" + joined(cast) + "|"
        + (film.runtime ? std::to_string(*film.runtime) : "") + "|" + film.format + "|"
        + (film.discs ? std::to_string(*film.discs) : "") + "|" + film.tagline + "|" + film.notes;
}

TEST(CollectionReaders, KeepTheFilesOwnDetails)
{
    const struct {
        const char* file;
        std::size_t film;
        std::string details;
    } cases[] = {
        { "shelf.txt", 6, "Comedy,Drama|||92||||" },
        { "imdb-2017.csv", 0, "Drama,Romance|Lena Fors,Tom Fors||124||||" },
        { "films.gcs", 0, "Science Fiction|Rune Holt|Mira Holt=Operator|99|Blu-ray|2||A lost signal." },
        { "films.gcs", 1, "|Ola Venn|Eli Dunn=Captain,Sara Venn=Navigator|105|VHS|||At sea." },
        { "tellico-films.tc", 1, "Drama|Kai Lind|Oda Lind=Mother,Per Lind=|95|DVD|||A family by the salt works." },
        { "Collection.xml", 1, "Mystery|Hedda Vos|Nils Brandt=The Ferryman|97|Blu-ray|1||" },
        { "videodb.xml", 0,
            "\u0442\u0440\u0438\u043b\u043b\u0435\u0440|Rune Holt|Mira Holt=Operator|99|||Nobody answers|" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " film " + std::to_string(c.film));
        EXPECT_EQ(details(readCollection(kFixtures / c.file).films.at(c.film)), c.details);
    }
}

TEST(CollectionReaders, FindCoversInTheZipAndBesideTheFile)
{
    const std::string jpeg = vantrelle::test::readFile(kFixtures / "cover-a.jpeg");
    const std::string gif = vantrelle::test::readFile(kFixtures / "cover-b.gif");
    const Collection zipped = readCollection(kFixtures / "tellico-films.tc");
    EXPECT_EQ(std::string(zipped.films[0].cover.bytes.begin(), zipped.films[0].cover.bytes.end()), jpeg);
    EXPECT_EQ(zipped.films[0].cover.extension, ".jpeg");
    EXPECT_EQ(std::string(zipped.films[1].cover.bytes.begin(), zipped.films[1].cover.bytes.end()), gif);

    const Collection bare = readCollection(kFixtures / "tellico-bare.xml");
    EXPECT_EQ(bare.films[0].cover.file, kFixtures / "tellico-bare_files" / "0a1b2c3d4e5f.jpeg");
    EXPECT_TRUE(bare.films[1].cover.empty()); // not beside the file

    EXPECT_EQ(readCollection(kFixtures / "films.gcs").films[0].cover.file, kFixtures / "cover-b.gif");
}

TEST(CollectionReaders, RefuseOtherCollectionsAndDamagedFilesNamingTheFileAndTheReason)
{
    const struct {
        const char* file;
        std::string reason;
    } cases[] = {
        { "tellico-books.tc", "a Tellico collection of books, not of films" },
        { "books.gcs", "a GCstar collection of books (GCbooks), not of films" },
        { "damaged.tc", "a damaged zip file (Not a zip archive)" },
        { "damaged.xml", "not well-formed XML: Premature end of data in tag title line 7" },
        { "no such file.txt", "the file cannot be opened" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        try {
            readCollection(kFixtures / c.file);
            ADD_FAILURE() << "read";
        } catch (const ECollectionError& e) {
            EXPECT_EQ(e.what(), (kFixtures / c.file).string() + ": " + c.reason);
        }
    }
}

TEST(CollectionReaders, RefuseTextThatIsNoCollectionFile)
{
    const struct {
        std::string bytes;
        std::string reason;
    } cases[] = {
        { "<?xml version=\"1.0\"?>\n<playlist/>\n",
            "an XML file of a kind not read here (its root element is <playlist>)" },
        { std::string("PK\x03\x04", 4) + "broken", "a damaged zip file (Not a zip archive)" },
        { "\xFF\xFE"
          "a\0b\0",
            "the file is UTF-16 text; save it as UTF-8" },
        { "Const,Title\n\"tt1,x\n",
            "not a CSV file as its program writes it (line 2: the quoted value that starts "
            "here has no closing quote, counted from line 1)" },
    };
    for (const auto& c : cases) {
        try {
            readCollectionBytes(c.bytes, "file");
            ADD_FAILURE() << c.reason;
        } catch (const ECollectionError& e) {
            EXPECT_EQ(e.what(), "file: " + c.reason);
        }
    }
}

} // namespace
