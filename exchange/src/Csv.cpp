#include "vantrelle/exchange/Csv.h"

namespace vantrelle::exchange {

namespace {

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

class CsvReader {
public:
    explicit CsvReader(std::string_view text)
        : m_text(text)
    {
    }

    DataTable read()
    {
        DataTable table;
        Record record;
        bool blank = false;
        if (!readRecord(record, blank))
            return table;
        if (blank)
            table.columns.emplace_back();
        for (auto& cell : record.cells)
            table.columns.push_back(std::move(cell->text).value_or(std::string()));
        while (readRecord(record, blank)) {
            if (blank) {
                if (table.columns.size() != 1)
                    continue;
                record.cells.push_back(Cell { std::nullopt, record.line });
            }
            if (record.cells.size() != table.columns.size())
                throw EDataFileError("line " + std::to_string(record.line) + ": " + std::to_string(record.cells.size())
                    + " values, but the header names " + std::to_string(table.columns.size()) + " columns");
            table.records.push_back(std::move(record));
        }
        return table;
    }

private:
    // Reads the next record; false at the end of the text. `blank` tells an empty line.
    bool readRecord(Record& record, bool& blank)
    {
        record = Record { m_line, {} };
        if (m_pos >= m_text.size())
            return false;
        blank = isLineEnd(m_text[m_pos]);
        if (blank) {
            skipLineEnd();
            return true;
        }
        for (;;) {
            const bool quoted = m_pos < m_text.size() && m_text[m_pos] == '"';
            record.cells.push_back(quoted ? quotedField() : plainField());
            if (m_pos >= m_text.size())
                return true;
            if (m_text[m_pos] == ',') {
                ++m_pos;
                continue;
            }
            if (!isLineEnd(m_text[m_pos]))
                throw EDataFileError("line " + std::to_string(m_line) + ": text after the closing quote of a value");
            skipLineEnd();
            return true;
        }
    }

    Cell plainField()
    {
        const std::size_t end = std::min(m_text.find_first_of(",\r\n", m_pos), m_text.size());
        Cell cell { std::nullopt, m_line };
        if (end > m_pos)
            cell.text.emplace(m_text.substr(m_pos, end - m_pos));
        m_pos = end;
        return cell;
    }

    Cell quotedField()
    {
        Cell cell { std::string(), m_line };
        ++m_pos; // the opening quote
        for (;;) {
            const std::size_t quote = m_text.find('"', m_pos);
            if (quote == std::string_view::npos)
                throw EDataFileError(
                    "line " + std::to_string(cell.line) + ": the quoted value that starts here has no closing quote");
            const std::string_view part = m_text.substr(m_pos, quote - m_pos);
            countLines(part);
            cell.text->append(part);
            m_pos = quote + 1;
            if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                cell.text->push_back('"');
                ++m_pos;
                continue;
            }
            return cell;
        }
    }

    // Counts the line ends inside a quoted value: LF, and CR not followed by LF (a quote follows `part`).
    void countLines(std::string_view part)
    {
        for (std::size_t i = 0; i < part.size(); ++i)
            if (part[i] == '\n' || (part[i] == '\r' && (i + 1 == part.size() || part[i + 1] != '\n')))
                ++m_line;
    }

    void skipLineEnd()
    {
        if (m_text[m_pos++] == '\r' && m_pos < m_text.size() && m_text[m_pos] == '\n')
            ++m_pos;
        ++m_line;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_line = 1;
};

} // namespace

DataTable readCsv(std::string_view text)
{
    return CsvReader(text).read();
}

void appendCsvText(std::string& out, std::string_view text)
{
    if (text.empty()) {
        out += "\"\"";
        return;
    }
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace vantrelle::exchange
