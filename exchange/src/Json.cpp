#include "vantrelle/exchange/Json.h"

#include "vantrelle/CodePage.h"

#include <unordered_map>

namespace vantrelle::exchange {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

class JsonReader : public RecordReader {
public:
    explicit JsonReader(std::string_view text)
        : m_text(text)
    {
        skipSpace();
        if (peek() != '[')
            fail("a list of films in JSON is one array of objects, [ {...}, ... ]");
        ++m_pos;
    }

    bool allColumnsKnown() const override { return m_ended; }

    bool next(Record& record) override
    {
        if (m_ended)
            return false;
        skipSpace();
        if (m_objects == 0 && peek() == ']') {
            ++m_pos;
            return end();
        }
        if (m_objects > 0) {
            const char c = next();
            if (c == ']')
                return end();
            if (c != ',')
                fail("a comma or ] must follow an object");
            skipSpace();
        }
        if (next() != '{')
            fail("each film is an object, { \"Column\": value, ... }");
        readObject(record);
        ++m_objects;
        return true;
    }

private:
    // After the closing bracket of the array.
    bool end()
    {
        skipSpace();
        if (m_pos < m_text.size())
            fail("text after the array");
        m_ended = true;
        return false;
    }

    [[noreturn]] void fail(const std::string& what) const
    {
        throw EDataFileError("line " + std::to_string(m_line) + ": " + what);
    }

    char peek() const { return m_pos < m_text.size() ? m_text[m_pos] : '\0'; }

    char next()
    {
        if (m_pos >= m_text.size())
            fail("the file ends too early");
        return m_text[m_pos++];
    }

    void skipSpace()
    {
        for (; m_pos < m_text.size(); ++m_pos) {
            const char c = m_text[m_pos];
            if (c == '\n')
                ++m_line;
            else if (c != ' ' && c != '\t' && c != '\r')
                return;
        }
    }

    // After the opening brace; then after the closing one.
    void readObject(Record& record)
    {
        record.line = m_line;
        record.cells.assign(m_columns.size(), std::nullopt);
        skipSpace();
        if (peek() == '}') {
            ++m_pos;
            return;
        }
        for (;;) {
            skipSpace();
            if (next() != '"')
                fail("a key in double quotes must come here");
            const std::size_t column = columnOf(readString());
            skipSpace();
            if (next() != ':')
                fail("a colon must follow the key '" + m_columns[column] + "'");
            skipSpace();
            if (column >= record.cells.size())
                record.cells.resize(column + 1);
            if (record.cells[column])
                fail("the key '" + m_columns[column] + "' appears twice in one object");
            record.cells[column] = Cell { readValue(m_columns[column]), m_line };
            skipSpace();
            const char c = next();
            if (c == '}')
                return;
            if (c != ',')
                fail("a comma or } must follow a value");
        }
    }

    std::size_t columnOf(std::string key)
    {
        const auto [found, added] = m_columnIndex.try_emplace(key, m_columns.size());
        if (added)
            m_columns.push_back(std::move(key));
        return found->second;
    }

    std::optional<std::string> readValue(const std::string& key)
    {
        const char c = peek();
        if (c == '"') {
            ++m_pos;
            return readString();
        }
        if (c == '-' || isDigit(c))
            return readNumber();
        if (m_text.substr(m_pos, 4) == "null") {
            m_pos += 4;
            return std::nullopt;
        }
        if (c == 't' || c == 'f' || c == '{' || c == '[')
            fail("the value of '" + key + "' must be text, a number or null");
        fail("a value must follow the key '" + key + "'");
    }

    // -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?, RFC 8259, section 6.
    std::string readNumber()
    {
        const std::size_t start = m_pos;
        const auto digits = [this] {
            const std::size_t first = m_pos;
            while (isDigit(peek()))
                ++m_pos;
            if (m_pos == first)
                fail("a number needs digits");
            return m_pos - first;
        };
        if (peek() == '-')
            ++m_pos;
        const bool leadingZero = peek() == '0';
        if (digits() > 1 && leadingZero)
            fail("a number does not start with 0");
        if (peek() == '.') {
            ++m_pos;
            digits();
        }
        if (peek() == 'e' || peek() == 'E') {
            ++m_pos;
            if (peek() == '+' || peek() == '-')
                ++m_pos;
            digits();
        }
        return std::string(m_text.substr(start, m_pos - start));
    }

    // After the opening quote.
    std::string readString()
    {
        const std::size_t start = m_pos;
        for (;;) {
            const char c = next();
            if (c == '"')
                break;
            if (static_cast<unsigned char>(c) < 0x20)
                fail("a control character inside a string must be written as an escape");
            if (c == '\\')
                next();
        }
        const std::string_view raw = m_text.substr(start, m_pos - 1 - start);
        const bool utf8 = isValidUtf8(raw);
        std::string text;
        text.reserve(raw.size());
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '\\') {
                if (utf8 || static_cast<unsigned char>(raw[i]) < 0x80)
                    text += raw[i];
                else
                    text += ansiToUtf8(raw.substr(i, 1));
                continue;
            }
            switch (const char e = raw[++i]) {
            case '"':
            case '\\':
            case '/':
                text += e;
                break;
            case 'b':
                text += '\b';
                break;
            case 'f':
                text += '\f';
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case 't':
                text += '\t';
                break;
            case 'u':
                appendUtf8(text, codePoint(raw, i));
                break;
            default:
                fail("unknown escape \\" + std::string(1, e) + " in a string");
            }
        }
        return text;
    }

    // The character of the \u escape whose 'u' is at raw[i] (and of its low surrogate); leaves i on the last
    // hex digit read.
    char32_t codePoint(std::string_view raw, std::size_t& i)
    {
        const char32_t unit = hex4(raw, i);
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            fail("a \\u escape of half a surrogate pair");
        if (unit < 0xD800 || unit > 0xDBFF)
            return unit;
        if (raw.substr(i + 1, 2) != "\\u")
            fail("a \\u escape of half a surrogate pair");
        i += 2;
        const char32_t low = hex4(raw, i);
        if (low < 0xDC00 || low > 0xDFFF)
            fail("a \\u escape of half a surrogate pair");
        return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }

    char32_t hex4(std::string_view raw, std::size_t& i)
    {
        if (raw.size() - i < 5)
            fail("a \\u escape needs four hex digits");
        char32_t value = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = raw[++i];
            value <<= 4;
            if (isDigit(c))
                value |= static_cast<char32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                value |= static_cast<char32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                value |= static_cast<char32_t>(c - 'A' + 10);
            else
                fail("a \\u escape needs four hex digits");
        }
        return value;
    }

    std::string_view m_text;
    int m_line = 1;
    std::size_t m_objects = 0;
    bool m_ended = false;
    std::unordered_map<std::string, std::size_t> m_columnIndex;
};

} // namespace

std::unique_ptr<RecordReader> jsonRecords(std::string_view text)
{
    return std::make_unique<JsonReader>(text);
}

DataTable readJson(std::string_view text)
{
    return readAll(*jsonRecords(text));
}

} // namespace vantrelle::exchange
