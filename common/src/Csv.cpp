#include "vantrelle/Csv.h"

namespace vantrelle {

namespace {

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// The text of `cell`, made empty text that starts on `line`; the string it held before is reused.
std::string& emptyText(std::optional<Cell>& cell, int line)
{
    if (!cell)
        cell.emplace();
    cell->line = line;
    if (cell->text)
        cell->text->clear();
    else
        cell->text.emplace();
    return *cell->text;
}

class CsvReader : public RecordReader {
public:
    explicit CsvReader(std::string_view text)
        : m_text(text)
    {
        Record header;
        if (m_pos >= m_text.size())
            return;
        if (isLineEnd(m_text[m_pos])) {
            skipLineEnd();
            m_columns.emplace_back();
            return;
        }
        readFields(header);
        for (auto& cell : header.cells)
            m_columns.push_back(std::move(cell->text).value_or(std::string()));
    }

    bool allColumnsKnown() const override { return true; }

    bool next(Record& record) override
    {
        while (m_pos < m_text.size()) {
            record.line = m_line;
            if (isLineEnd(m_text[m_pos])) {
                skipLineEnd();
                if (m_columns.size() != 1)
                    continue;
                record.cells.resize(1);
                record.cells[0] = Cell { std::nullopt, record.line };
                return true;
            }
            readFields(record);
            if (record.cells.size() != m_columns.size())
                throw EDataFileError("line " + std::to_string(record.line) + ": " + std::to_string(record.cells.size())
                    + " values, but the header names " + std::to_string(m_columns.size()) + " columns");
            return true;
        }
        return false;
    }

private:
    // Reads the fields of a line that is not empty, up to and with its line end.
    void readFields(Record& record)
    {
        std::size_t count = 0;
        for (;;) {
            if (count == record.cells.size())
                record.cells.emplace_back();
            std::optional<Cell>& cell = record.cells[count++];
            if (m_pos < m_text.size() && m_text[m_pos] == '"')
                quotedField(cell);
            else
                plainField(cell);
            if (m_pos < m_text.size() && m_text[m_pos] == ',') {
                ++m_pos;
                continue;
            }
            record.cells.resize(count);
            if (m_pos >= m_text.size())
                return;
            if (!isLineEnd(m_text[m_pos]))
                throw EDataFileError("line " + std::to_string(m_line) + ": text after the closing quote of a value");
            skipLineEnd();
            return;
        }
    }

    void plainField(std::optional<Cell>& cell)
    {
        const std::size_t end = std::min(m_text.find_first_of(",\r\n", m_pos), m_text.size());
        if (end > m_pos)
            emptyText(cell, m_line).assign(m_text.substr(m_pos, end - m_pos));
        else
            cell = Cell { std::nullopt, m_line };
        m_pos = end;
    }

    void quotedField(std::optional<Cell>& cell)
    {
        const int line = m_line;
        std::string& text = emptyText(cell, line);
        ++m_pos; // the opening quote
        for (;;) {
            const std::size_t quote = m_text.find('"', m_pos);
            if (quote == std::string_view::npos)
                throw EDataFileError(
                    "line " + std::to_string(line) + ": the quoted value that starts here has no closing quote");
            const std::string_view part = m_text.substr(m_pos, quote - m_pos);
            countLines(part);
            text.append(part);
            m_pos = quote + 1;
            if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                text.push_back('"');
                ++m_pos;
                continue;
            }
            return;
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
    int m_line = 1;
};

} // namespace

std::unique_ptr<RecordReader> csvRecords(std::string_view text)
{
    return std::make_unique<CsvReader>(text);
}

DataTable readCsv(std::string_view text)
{
    return readAll(*csvRecords(text));
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

} // namespace vantrelle
