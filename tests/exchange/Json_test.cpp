#include "vantrelle/exchange/Json.h"

#include "ShownTable.h"

#include <gtest/gtest.h>

using namespace vantrelle;
using namespace vantrelle::exchange;

using vantrelle::exchange::test::shown;

TEST(JsonRead, ObjectsBecomeRecordsOfTheirKeys)
{
    const struct {
        std::string json;
        std::string table;
    } cases[] = {
        { "[]", "" },
        { " \r\n[ ] \n", "" },
        { "[{}]", "/1:" },
        { "[{\"A\": \"x\", \"B\": null}]", "A|B|/1:x|(null)|" },
        { "[\n{\"A\": 1},\n{\"B\": -0.5e+3, \"A\": 0}\n]", "A|B|/2:1|(none)|/3:0|-0.5e+3|" },
        { "[{\"A\": \"\\\"\\\\\\/\\b\\f\\n\\r\\t\"}]", "A|/1:\"\\/\b\f\n\r\t|" },
        { "[{\"A\": \"\\u00e9\\u20AC\\ud83c\\udfac\"}]", "A|/1:\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xAC|" },
        { "[{\"A\": \"Am\xE9lie \\u00e9\"}]", "A|/1:Am\xC3\xA9lie \xC3\xA9|" }, // a Windows-1252 byte
        { "[{\"A\": \"\xC3\xA9\"}]", "A|/1:\xC3\xA9|" },
        { "[{\"A\": \"\\u0000\"}]", std::string("A|/1:\0|", 7) },
    };
    for (const auto& c : cases)
        EXPECT_EQ(shown(readJson(c.json)), c.table) << c.json;
}

TEST(JsonRead, RefusesWhatItCannotReadWithTheLine)
{
    const struct {
        std::string json;
        std::string message;
    } cases[] = {
        { "", "line 1: a list of films in JSON is one array of objects, [ {...}, ... ]" },
        { "{\"A\": 1}", "line 1: a list of films in JSON is one array of objects, [ {...}, ... ]" },
        { "[\n1]", "line 2: each film is an object, { \"Column\": value, ... }" },
        { "[{\"A\": 1}\n{\"A\": 2}]", "line 2: a comma or ] must follow an object" },
        { "[{\"A\": 1}] x", "line 1: text after the array" },
        { "[{\"A\": 1,\n\"a\": 2, \"A\": 3}]", "line 2: the key 'A' appears twice in one object" },
        { "[{\"A\": true}]", "line 1: the value of 'A' must be text, a number or null" },
        { "[{\"A\": [1]}]", "line 1: the value of 'A' must be text, a number or null" },
        { "[{\"A\": {}}]", "line 1: the value of 'A' must be text, a number or null" },
        { "[{\"A\": nul}]", "line 1: a value must follow the key 'A'" },
        { "[{\"A\" 1}]", "line 1: a colon must follow the key 'A'" },
        { "[{A: 1}]", "line 1: a key in double quotes must come here" },
        { "[{\"A\": 1 \"B\": 2}]", "line 1: a comma or } must follow a value" },
        { "[{\"A\": 01}]", "line 1: a number does not start with 0" },
        { "[{\"A\": -}]", "line 1: a number needs digits" },
        { "[{\"A\": 1.}]", "line 1: a number needs digits" },
        { "[{\"A\": \"a\nb\"}]", "line 1: a control character inside a string must be written as an escape" },
        { "[{\"A\": \"\\x\"}]", "line 1: unknown escape \\x in a string" },
        { "[{\"A\": \"\\u12\"}]", "line 1: a \\u escape needs four hex digits" },
        { "[{\"A\": \"\\u12G4\"}]", "line 1: a \\u escape needs four hex digits" },
        { "[{\"A\": \"\\ud83c\"}]", "line 1: a \\u escape of half a surrogate pair" },
        { "[{\"A\": \"\\udfac\"}]", "line 1: a \\u escape of half a surrogate pair" },
        { "[{\"A\": \"\\ud83c\\u0041\"}]", "line 1: a \\u escape of half a surrogate pair" },
        { "[{\"A\": \"open", "line 1: the file ends too early" },
        { "[{\"A\": 1}", "line 1: the file ends too early" },
    };
    for (const auto& c : cases) {
        try {
            readJson(c.json);
            ADD_FAILURE() << c.json;
        } catch (const EDataFileError& e) {
            EXPECT_EQ(e.what(), c.message) << c.json;
        }
    }
}
