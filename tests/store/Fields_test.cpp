#include "StoreFixture.h"

#include <optional>

using namespace vantrelle::store;
using vantrelle::store::test::StoreTest;

class Fields : public StoreTest {
protected:
    void SetUp() override
    {
        openQuiet();
        query.insert();
    }
};

TEST_F(Fields, IntegerTextIsParsedStrictly)
{
    const struct {
        std::string text;
        std::optional<std::int32_t> value; // nothing: the integer message
    } cases[] = {
        { "120", 120 },
        { " 120", 120 },
        { "   -7", -7 },
        { "+42", 42 },
        { "0", 0 },
        { "007", 7 },
        { "$1F", 31 },
        { "x1f", 31 },
        { "X10", 16 },
        { "0x10", 16 },
        { "-$10", -16 },
        { "2147483647", 2147483647 },
        { "-2147483648", INT32_MIN },
        { "$7FFFFFFF", 2147483647 },
        { "-0x80000000", INT32_MIN },
        { "2147483648", std::nullopt },
        { "-2147483649", std::nullopt },
        { "$80000000", std::nullopt },
        { "$FFFFFFFF", std::nullopt },
        { "99999999999999999999", std::nullopt },
        { "120 ", std::nullopt },
        { "120 min", std::nullopt },
        { "12x", std::nullopt },
        { "1 2", std::nullopt },
        { "- 5", std::nullopt },
        { "+", std::nullopt },
        { "-", std::nullopt },
        { " ", std::nullopt },
        { "$", std::nullopt },
        { "0x", std::nullopt },
        { "0X10", std::nullopt },
        { "$G", std::nullopt },
        { "1.5", std::nullopt },
        { "\t5", std::nullopt },
        { "--5", std::nullopt },
        { std::string("5\0", 2), std::nullopt },
    };
    for (const auto& c : cases) {
        query.aqMoviesRuntime.setAsInteger(55);
        if (c.value) {
            query.aqMoviesRuntime.setAsString(c.text);
            EXPECT_EQ(query.aqMoviesRuntime.asInteger(), *c.value) << c.text;
            continue;
        }
        try {
            query.aqMoviesRuntime.setAsString(c.text);
            ADD_FAILURE() << "accepted '" << c.text << "'";
        } catch (const EDatabaseError& e) {
            const std::string message = "'" + c.text + "' is not a valid integer value for field 'Runtime'";
            EXPECT_STREQ(e.what(), message.c_str()); // a NUL in the text ends the C string early
        }
        EXPECT_EQ(query.aqMoviesRuntime.asInteger(), 55) << "a failed set leaves the column as it was";
    }
}

TEST_F(Fields, EmptyTextMakesAnIntegerNullAndTextEmpty)
{
    query.aqMoviesRuntime.setAsInteger(120);
    query.aqMoviesRuntime.setAsString("");
    EXPECT_TRUE(query.aqMoviesRuntime.isNull());
    EXPECT_EQ(query.aqMoviesRuntime.asInteger(), 0);
    EXPECT_EQ(query.aqMoviesRuntime.asString(), "");
    query.aqMoviesGenre.setAsString("");
    EXPECT_FALSE(query.aqMoviesGenre.isNull());
    EXPECT_TRUE(query.aqMoviesDirector.isNull());
    EXPECT_EQ(query.aqMoviesDirector.asString(), "");
}

TEST_F(Fields, DisplayAndEditText)
{
    const struct {
        IntegerField& field;
        std::optional<std::int32_t> value;
        std::string display;
        std::string edit;
    } cases[] = {
        { query.aqMoviesRuntime, 120, "120 Mins.", "120" },
        { query.aqMoviesRuntime, -5, "-5 Mins.", "-5" },
        { query.aqMoviesRuntime, 0, "0 Mins.", "0" },
        { query.aqMoviesRuntime, std::nullopt, "", "" },
        { query.aqMoviesYear, 1979, "1979", "1979" },
        { query.aqMoviesNoOfCds, 2, "2", "2" },
        { query.aqMoviesNoOfCds, std::nullopt, "", "" },
    };
    for (const auto& c : cases) {
        if (c.value)
            c.field.setAsInteger(*c.value);
        else
            c.field.clear();
        EXPECT_EQ(c.field.displayText(), c.display) << c.field.fieldName();
        EXPECT_EQ(c.field.editText(), c.edit) << c.field.fieldName();
        EXPECT_EQ(c.field.asString(), c.edit) << c.field.fieldName();
    }
    for (const Field* field : query.fields())
        EXPECT_EQ(field->alignment(), FieldAlignment::taLeftJustify) << field->fieldName();
}

TEST_F(Fields, TextIsCutToTheColumnSizeInCharacters)
{
    const std::string e = "\xC3\xA9"; // e acute, two bytes of UTF-8
    std::string sixtyAccents, fiftyAccents;
    for (int i = 0; i < 60; ++i)
        sixtyAccents += e;
    for (int i = 0; i < 50; ++i)
        fiftyAccents += e;
    const struct {
        WideStringField& field;
        std::string text;
        std::string stored;
    } cases[] = {
        { query.aqMoviesNameOfMovie, std::string(60, 'a'), std::string(50, 'a') },
        { query.aqMoviesNameOfMovie, std::string(50, 'b'), std::string(50, 'b') },
        { query.aqMoviesNameOfMovie, sixtyAccents, fiftyAccents },
        { query.aqMoviesTagline, std::string(250, 't'), std::string(200, 't') },
        { query.aqMoviesCharacter4, std::string(51, 'c'), std::string(50, 'c') },
        { query.aqMoviesGenre, "Am\xE9lie", "Am\xC3\xA9lie" }, // Windows-1252 bytes
        { query.aqMoviesGenre, "\x93Noir\x94", "\xE2\x80\x9CNoir\xE2\x80\x9D" }, // Windows-1252 quotes
        { query.aqMoviesGenre, "\xE6\x97\xA5\xE6\x9C\xAC", "\xE6\x97\xA5\xE6\x9C\xAC" },
    };
    for (const auto& c : cases) {
        c.field.setAsString(c.text);
        EXPECT_EQ(c.field.asString(), c.stored) << c.field.fieldName();
    }
    query.post();
    query.close();
    query.open();
    EXPECT_EQ(query.aqMoviesNameOfMovie.asString(), fiftyAccents);
    EXPECT_EQ(query.aqMoviesTagline.asString(), std::string(200, 't'));
    EXPECT_EQ(query.aqMoviesCharacter4.asString(), std::string(50, 'c'));
}

TEST_F(Fields, CoverKeepsBytesAndNullApart)
{
    EXPECT_FALSE(query.aqMoviesCover.asBytes().has_value());
    const Bytes picture = { 'B', 'M', 0, 1, 2, 255 };
    query.aqMoviesCover.setAsBytes(picture);
    query.aqMoviesNameOfMovie.setAsString("With cover");
    query.post();
    query.insert();
    query.aqMoviesCover.setAsBytes({});
    query.aqMoviesNameOfMovie.setAsString("Empty cover");
    query.post();
    query.close();
    query.open();
    EXPECT_EQ(query.aqMoviesNameOfMovie.asString(), "Empty cover");
    EXPECT_EQ(query.aqMoviesCover.asBytes(), Bytes {});
    query.next();
    EXPECT_EQ(query.aqMoviesCover.asBytes(), picture);
    EXPECT_EQ(query.aqMoviesCover.data().size(), picture.size());
    EXPECT_THROW(query.aqMoviesCover.asInteger(), EDatabaseError);
}

TEST_F(Fields, SettingMarksTheRowModified)
{
    EXPECT_FALSE(query.modified());
    query.aqMoviesYear.setAsString("");
    EXPECT_TRUE(query.modified());
    query.cancel();
    query.edit(); // empty table: an insert again
    EXPECT_EQ(query.state(), qsInsert);
    EXPECT_FALSE(query.modified());
    EXPECT_EQ(&query.fieldByName("year"), &query.aqMoviesYear);
    EXPECT_EQ(query.fields()[17], &query.aqMoviesYear);
    EXPECT_EQ(query.aqMoviesID.dataType(), FieldType::ftAutoInc);
    EXPECT_EQ(query.aqMoviesTagline.size(), 200);
}
