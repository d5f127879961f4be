#include "StoreFixture.h"

#include "vantrelle/store/TitleOrder.h"

#include <algorithm>
#include <random>

using namespace vantrelle::store;
using vantrelle::store::test::StoreTest;

namespace {

// Titles in the order the list shows them: accents and case beside their base letters, numbers before letters.
// (None of them orders differently in any Latin-script locale, so the test holds whatever LANG is.)
const std::vector<std::string> kTitleOrder = {
    "", // an empty title first, as SQLite's own order has it
    "10 Things I Hate About You",
    "2001: A Space Odyssey",
    "9 Songs",
    "alien",
    "Alien",
    "Alien 3",
    "Aliens",
    "AMELIE", // accents decide before case
    "Am\xC3\xA9lie", // Amélie
    "Brazil",
    "Ete",
    "\xC3\x89t\xC3\xA9 \xC3\xA0 Montreuil", // Été à Montreuil
    "Etoile",
    "\xC3\xA9toiles", // étoiles
    "Heat",
    "zero gravity blues",
};

} // namespace

TEST_F(StoreTest, TheListIsInTitleOrderByLanguageRules)
{
    std::vector<std::string> shuffled = kTitleOrder;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    std::string values = "(NULL)";
    for (const std::string& title : shuffled)
        values += ", ('" + title + "')";
    sql("INSERT INTO Movies (NameOfMovie) VALUES " + values + ";");
    query.open();
    std::vector<std::string> expected = kTitleOrder;
    expected.insert(expected.begin(), ""); // a film without a title comes first of all
    EXPECT_EQ(titles(), expected);
    EXPECT_TRUE(query.aqMoviesNameOfMovie.isNull());

    // A saved film takes its place by the same rules.
    query.last();
    query.edit();
    query.aqMoviesNameOfMovie.setAsString("\xC3\x89"
                                          "crin"); // Écrin
    query.post();
    query.close();
    query.open();
    const auto titlesNow = titles();
    const auto at = std::find(titlesNow.begin(), titlesNow.end(),
        "\xC3\x89"
        "crin");
    ASSERT_NE(at, titlesNow.end());
    EXPECT_EQ(*(at - 1), "Brazil");
    EXPECT_EQ(*(at + 1), "Ete");
}

TEST(TitleCollator, FollowsTheLocalesRules)
{
    const struct {
        const char* locale;
        std::vector<std::string> order;
    } cases[] = {
        { "", { "\xC3\x96rnen", "Zorro" } }, // Örnen among the O's
        { "C", { "\xC3\x96rnen", "Zorro" } }, { "en_GB.UTF-8", { "Oase", "\xC3\x96l", "Ozean", "Zorro" } },
        { "de_DE@euro", { "Oase", "\xC3\x96l", "Ozean", "Zorro" } },
        { "sv_SE.UTF-8", { "Oase", "Ozean", "Zorro", "\xC3\x96l" } }, // Ö is a letter of its own after Z
        { "da_DK", { "Alien", "Zorro", "\xC3\x85rhus" } }, // so is Å in Danish
        { "xx_YY", { "\xC3\x96rnen", "Zorro" } }, // unknown: the language-neutral rules
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        const TitleCollator collator(c.locale);
        for (std::size_t i = 0; i + 1 < c.order.size(); ++i) {
            EXPECT_LT(collator.compare(c.order[i], c.order[i + 1]), 0) << c.order[i];
            EXPECT_GT(collator.compare(c.order[i + 1], c.order[i]), 0) << c.order[i];
            EXPECT_LT(collator.sortKey(c.order[i]), collator.sortKey(c.order[i + 1])) << c.order[i];
        }
    }
}

TEST(TitleCollator, SameTitleIgnoresCaseAndAccentsOnly)
{
    const TitleCollator collator("");
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        { "Am\xC3\xA9lie", "AMELIE", true },
        { "\xC3\x89t\xC3\xA9", "ete", true },
        { "Alien", "alien", true },
        { "Alien", "Aliens", false },
        { "Alien", "Alien 3", false },
        { "Alien", " Alien", false },
        { "", "", true },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(collator.same(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(collator.compare(c.a, c.b) == 0, std::string(c.a) == c.b) << c.a << " / " << c.b;
    }
}

TEST(TitleCollator, LocaleComesFromTheEnvironmentAsPosixSays)
{
    const struct {
        const char* lcAll;
        const char* lcCollate;
        const char* lang;
        std::string locale;
    } cases[] = {
        { nullptr, nullptr, nullptr, "" },
        { nullptr, nullptr, "sv_SE.UTF-8", "sv_SE" },
        { nullptr, "de_DE@euro", "sv_SE.UTF-8", "de_DE" },
        { "fr_FR.ISO-8859-1", "de_DE", "sv_SE", "fr_FR" },
        { "", "", "da_DK.UTF-8", "da_DK" },
        { "C.UTF-8", nullptr, "sv_SE", "" },
        { "POSIX", nullptr, nullptr, "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(collationLocale(c.lcAll, c.lcCollate, c.lang), c.locale);
}

// The file's title index orders by SQLite's NOCASE, which the list corrects: many titles that the two orders place
// differently (accents, case, punctuation, digits, equal titles), before and after saves that move some of them.
TEST_F(StoreTest, TheListKeepsTheCollatorsOrderWhereTheFilesIndexDiffers)
{
    const std::vector<std::string> pieces
        = { "a", "A", "\xC3\xA9", "\xC3\x89", "e", "E", "z", "Z", "{", "_", "-", " ", "1", "9", "~", "\xC3\xB6", "o" };
    std::mt19937 random(11);
    std::vector<std::string> inserted;
    std::string values;
    for (int i = 0; i < 400; ++i) {
        std::string title;
        for (int k = 0, length = 1 + static_cast<int>(random() % 4); k < length; ++k)
            title += pieces[random() % pieces.size()];
        inserted.push_back(title);
        values += std::string(values.empty() ? "" : ", ") + "(" + std::to_string(i + 1) + ", '" + title + "')";
    }
    sql("INSERT INTO Movies (ID, NameOfMovie) VALUES " + values + ";");
    // By the collator, equal titles in the order of their IDs.
    const auto expectedOrder = [](std::vector<std::string> titles) {
        std::stable_sort(titles.begin(), titles.end(),
            [](const std::string& a, const std::string& b) { return TitleCollator::user().compare(a, b) < 0; });
        return titles;
    };
    query.open();
    EXPECT_EQ(titles(), expectedOrder(inserted));

    for (const int id : { 3, 150, 151, 399 }) {
        query.close();
        query.open();
        for (int recNo = 1; recNo <= query.recordCount(); ++recNo)
            if (query.displayTextAt(recNo, query.aqMoviesID) == std::to_string(id))
                query.setRecNo(recNo);
        const std::string title = pieces[random() % pieces.size()] + pieces[random() % pieces.size()];
        query.edit();
        query.aqMoviesNameOfMovie.setAsString(title);
        query.post();
        inserted[id - 1] = title;
    }
    query.close();
    query.open();
    EXPECT_EQ(titles(), expectedOrder(inserted));
}

// Titles of ASCII letters, digits and spaces alone are compared without ICU where the locale orders them as the
// language-neutral rules do; in every locale, all titles still come in the order of ICU's own sort keys.
TEST(TitleCollator, EveryComparisonAgreesWithTheSortKeys)
{
    const std::vector<std::string> pieces = { "a", "A", "b", "B", "c", "C", "h", "H", "y", "z", "Z", "0", "9", " ",
        "aa", "Aa", "ch", "ll", "-", "\xC3\xA9", "\xC3\x85" };
    std::mt19937 random(5);
    std::vector<std::string> titles = { "" };
    for (int i = 0; i < 300; ++i) {
        std::string title;
        for (int k = 0, length = static_cast<int>(random() % 5); k < length; ++k)
            title += pieces[random() % (random() % 4 ? 14 : pieces.size())]; // mostly plain
        titles.push_back(title);
    }
    const auto sign = [](int order) { return (order > 0) - (order < 0); };
    for (const char* locale : { "", "en_US", "de_DE", "fr_FR", "da_DK", "sv_SE", "cs_CZ", "lt_LT", "en_US_POSIX" }) {
        SCOPED_TRACE(locale);
        const TitleCollator collator(locale);
        std::vector<std::string> keys;
        for (const std::string& title : titles)
            keys.push_back(collator.sortKey(title));
        int disagreements = 0;
        for (std::size_t i = 0; i < titles.size(); ++i)
            for (std::size_t j = 0; j < titles.size(); ++j)
                if (sign(collator.compare(titles[i], titles[j])) != sign(keys[i].compare(keys[j]))
                    && ++disagreements < 5)
                    ADD_FAILURE() << "'" << titles[i] << "' / '" << titles[j] << "'";
        EXPECT_EQ(disagreements, 0);
    }
}
