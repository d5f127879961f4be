#include "vantrelle/exchange/CatalogueExport.h"

#include "vantrelle/JsonText.h"
#include "vantrelle/exchange/Base64.h"
#include "vantrelle/Csv.h"
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/store/ReadMovies.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <system_error>

namespace vantrelle::exchange {

namespace {

namespace fs = std::filesystem;
using store::Field;
using store::FieldValue;

std::vector<const Field*> chosenFields(store::MoviesQuery& columns, const std::vector<std::string>& names)
{
    if (names.empty())
        return { columns.fields().begin(), columns.fields().end() };
    std::vector<const Field*> fields;
    for (const std::string& name : names) {
        const Field* field = &columns.fieldByName(name);
        if (std::find(fields.begin(), fields.end(), field) != fields.end())
            throw Error("Field '" + field->fieldName() + "' is given twice");
        fields.push_back(field);
    }
    return fields;
}

// Writes covers as <ID>.bmp files into one folder and names them as the data file holds them.
class CoverFiles {
public:
    CoverFiles(const fs::path& folder, const fs::path& outputFolder)
        : m_folder(folder)
    {
        std::error_code error;
        fs::create_directories(folder, error);
        if (error)
            throw pictures::EFileError("Cannot create the folder " + folder.string() + ": " + error.message());
        m_prefix = fs::relative(fs::absolute(folder), fs::absolute(outputFolder), error);
        if (error || m_prefix.empty())
            m_prefix = fs::absolute(folder);
    }

    std::string write(std::span<const std::uint8_t> bytes, std::int32_t id) const
    {
        const std::string name = std::to_string(id) + ".bmp";
        const fs::path file = m_folder / name;
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush())
            throw pictures::EFileError("Cannot create file " + file.string());
        return (m_prefix / name).lexically_normal().generic_string();
    }

private:
    fs::path m_folder;
    fs::path m_prefix;
};

class MovieWriter {
public:
    MovieWriter(std::vector<const Field*> fields, const ExportOptions& options)
        : m_fields(std::move(fields))
        , m_json(options.format == DataFormat::Json)
    {
        if (options.coversFolder)
            m_covers.emplace(*options.coversFolder, options.outputFolder);
    }

    void begin(std::string& out) const
    {
        if (m_json) {
            out += '[';
            return;
        }
        for (std::size_t i = 0; i < m_fields.size(); ++i) {
            if (i > 0)
                out += ',';
            appendCsvText(out, m_fields[i]->fieldName());
        }
        out += kCsvLineEnd;
    }

    void row(std::string& out, const store::MovieRecord& row, bool first) const
    {
        if (m_json)
            out += first ? "\n{" : ",\n{";
        for (std::size_t i = 0; i < m_fields.size(); ++i) {
            if (i > 0)
                out += m_json ? ", " : ",";
            if (m_json) {
                appendJsonQuoted(out, m_fields[i]->fieldName());
                out += ": ";
            }
            value(out, row[m_fields[i]->index()], row);
        }
        out += m_json ? "}" : kCsvLineEnd;
    }

    void end(std::string& out, bool empty) const
    {
        if (m_json)
            out += empty ? "]\n" : "\n]\n";
    }

private:
    void value(std::string& out, const FieldValue& value, const store::MovieRecord& row) const
    {
        if (const auto* number = std::get_if<std::int32_t>(&value)) {
            char digits[16];
            out.append(digits, std::to_chars(digits, digits + sizeof digits, *number).ptr);
        } else if (const auto* text = std::get_if<std::string>(&value)) {
            appendText(out, *text);
        } else if (const auto* bytes = std::get_if<store::Bytes>(&value)) {
            if (m_covers && !bytes->empty()) {
                const auto* id = std::get_if<std::int32_t>(&row[0]);
                appendText(out, m_covers->write(*bytes, id ? *id : 0));
            } else {
                std::string base64;
                appendBase64(base64, *bytes);
                appendText(out, base64);
            }
        } else if (m_json) {
            out += "null";
        }
    }

    void appendText(std::string& out, std::string_view text) const
    {
        if (m_json)
            appendJsonQuoted(out, text);
        else
            appendCsvText(out, text);
    }

    std::vector<const Field*> m_fields;
    bool m_json;
    std::optional<CoverFiles> m_covers;
};

} // namespace

std::size_t exportMovies(std::string_view connectionString, const ExportOptions& options, std::ostream& out)
{
    constexpr std::size_t kChunk = 1 << 20;
    store::MoviesQuery columns; // never opened: its column objects name and number the columns
    const MovieWriter writer(chosenFields(columns, options.fields), options);
    std::string buffer;
    buffer.reserve(2 * kChunk);
    writer.begin(buffer);
    std::size_t count = 0;
    store::readMovies(connectionString, [&](store::StoredRow&& row) {
        if (options.onUnreadable)
            for (const store::UnreadableValue& value : row.unreadable)
                options.onUnreadable(value);
        writer.row(buffer, row.values, count++ == 0);
        if (buffer.size() >= kChunk) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    });
    writer.end(buffer, count == 0);
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    if (!out.flush())
        throw pictures::EFileError("Stream write error");
    return count;
}

} // namespace vantrelle::exchange
