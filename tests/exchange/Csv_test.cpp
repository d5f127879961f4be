#include "vantrelle/Csv.h"

#include "ShownTable.h"

#include <gtest/gtest.h>

using namespace vantrelle;

using vantrelle::exchange::test::shown;

TEST(CsvRead, RecordsQuotesLineEndsAndNulls)
{
    const struct {
        std::string csv;
        std::string table;
    } cases[] = {
        { "", "" },
        { "A,B\r\n", "A|B|" },
        { "A,B\r\n1,2\r\n3,4", "A|B|/2:1|2|/3:3|4|" },
        { "A,B\n1,2\n", "A|B|/2:1|2|" },
        { "A,B\r1,2\r", "A|B|/2:1|2|" },
        { "A,B\n,\"\"\n", "A|B|/2:(null)||" },
        { "A,B\n\"x,y\",\"say \"\"hi\"\"\"\n", "A|B|/2:x,y|say \"hi\"|" },
        { "A,B\n\"two\r\nlines\",\"and\nmore\nlines\"\nnext,row\n",
            "A|B|/2:two\r\nlines|and\nmore\nlines|/6:next|row|" },
        { "A,B\n5'11\",x\n", "A|B|/2:5'11\"|x|" },
        { "A,B\n\n1,2\n\r\n\n3,4\n", "A|B|/3:1|2|/6:3|4|" },
        { "A\n\nx\n", "A|/2:(null)|/3:x|" },
        { "A,B\n1,\n", "A|B|/2:1|(null)|" },
        { "A,B\n1,", "A|B|/2:1|(null)|" },
        { " A , B\n 1 , 2 \n", " A | B|/2: 1 | 2 |" },
        { "\"A\nB\",C\n1,2\n", "A\nB|C|/3:1|2|" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(shown(readCsv(c.csv)), c.table) << c.csv;
}

TEST(CsvRead, RefusesWhatItCannotReadWithTheLine)
{
    const struct {
        std::string csv;
        std::string message;
    } cases[] = {
        { "A,B\n1,2\n\"open,3\n4\n", "line 3: the quoted value that starts here has no closing quote" },
        { "A,B\n1,2\n\"x\"y,3\n", "line 3: text after the closing quote of a value" },
        { "A,B\n1,2,3\n", "line 2: 3 values, but the header names 2 columns" },
        { "A,B\n\"a\nb\",2\n1\n", "line 4: 1 values, but the header names 2 columns" },
    };
    for (const auto& c : cases) {
        try {
            readCsv(c.csv);
            ADD_FAILURE() << c.csv;
        } catch (const EDataFileError& e) {
            EXPECT_EQ(e.what(), c.message) << c.csv;
        }
    }
}

TEST(CsvWrite, WrittenFieldsReadBackAsTheyWere)
{
    const std::string texts[]
        = { "plain", "", " blank ", "a,b", "say \"hi\"", "two\r\nlines", "cr\ronly", "\"", "Am\xC3\xA9lie" };
    std::string csv = "A\r\n";
    for (const std::string& text : texts) {
        appendCsvText(csv, text);
        csv += kCsvLineEnd;
    }
    const DataTable table = readCsv(csv);
    ASSERT_EQ(table.records.size(), std::size(texts));
    for (std::size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(table.records[i].cells[0]->text, texts[i]);
    std::string quoted;
    appendCsvText(quoted, "say \"hi\", then go");
    EXPECT_EQ(quoted, "\"say \"\"hi\"\", then go\"");
}
