#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vantrelle::store {

class MoviesQuery;

using Bytes = std::vector<std::uint8_t>;

// One column's value in a row: null, a 32-bit integer, text (UTF-8) or bytes.
using FieldValue = std::variant<std::monostate, std::int32_t, std::string, Bytes>;

enum class FieldType { ftAutoInc, ftInteger, ftWideString, ftBlob };

// How a bound edit box aligns the column's value.
enum class FieldAlignment { taLeftJustify, taRightJustify, taCenter };

// A column object of the movies query: reads and sets its column in the query's current row.
//
// Reading never fails: with no current row (closed or empty query) every column reads as null.
// Setting is allowed only while the query is in qsEdit or qsInsert ("Dataset not in edit or insert mode");
// a successful set marks the row as modified and tells the bound controls to re-read this column
// (DataLink::recordChanged). A failed set leaves the column as it was.
//
// Text is the system's 8-bit text: on setting it is converted by the code-page rule (vantrelle/CodePage.h)
// and cut to size() Unicode characters; on reading it comes back as UTF-8. A text that is not wholly valid
// UTF-8 is taken as Windows-1252 as a whole (stored text too), so no value ever mixes the two encodings.
class Field {
public:
    Field(const Field&) = delete;
    Field& operator=(const Field&) = delete;
    virtual ~Field() = default;

    const std::string& fieldName() const { return m_name; }
    FieldType dataType() const { return m_type; }
    // The column's position in the declared order (ID is 0, Year is 17).
    int index() const { return m_index; }
    // Maximum length in Unicode characters for text columns; 0 for the others.
    int size() const { return m_size; }
    FieldAlignment alignment() const { return m_alignment; }
    MoviesQuery& dataSet() const { return *m_query; }

    bool isNull() const;
    const FieldValue& value() const;

    // Null text reads as "", a null integer as "" (as text) or 0 (as integer).
    virtual std::string asString() const = 0;
    virtual std::int32_t asInteger() const = 0;
    // What a bound box shows while it cannot be typed into, and while it can.
    std::string displayText() const { return displayTextOf(value()); }
    std::string editText() const { return editTextOf(value()); }
    // The same for any value of this column (the list of titles shows rows that are not current).
    virtual std::string displayTextOf(const FieldValue& value) const = 0;
    virtual std::string editTextOf(const FieldValue& value) const { return displayTextOf(value); }

    virtual void setAsString(std::string_view text) = 0;
    virtual void setAsInteger(std::int32_t value) = 0;
    // The value SetAsString(text) would store, with the same conversion and the same errors, but without
    // storing it, so it works in any state of the query (an import converts whole files with it).
    virtual FieldValue valueFromText(std::string_view text) const = 0;
    // Sets the column to null.
    void clear();

protected:
    Field(MoviesQuery& query, int index, std::string name, FieldType type, int size, FieldAlignment alignment);
    // Fails unless the column may be set now: "Field '%s' cannot be modified", then the query's state.
    void checkCanModify() const;
    // Checks as above and stores the value (the one place every setter goes through).
    void setValue(FieldValue value);
    [[noreturn]] void AccessError(std::string_view typeName) const;

    bool m_readOnly = false;

private:
    MoviesQuery* m_query;
    int m_index;
    std::string m_name;
    FieldType m_type;
    int m_size;
    FieldAlignment m_alignment;
};

// A 32-bit signed integer column. Text for it is parsed strictly: leading blanks, an optional sign, then
// decimal digits or hexadecimal digits after "$", "x", "X" or "0x", nothing after, within 32 bits; otherwise
// "'%s' is not a valid integer value for field '%s'". Empty text sets null. Hexadecimal text is a magnitude
// like decimal text: "$7FFFFFFF" is the largest, and "$80000000" or "$FFFFFFFF" are refused, not wrapped round
// to negative numbers.
class IntegerField : public Field {
public:
    IntegerField(MoviesQuery& query, int index, std::string name);

    // "0 'Mins.'"-style formats: a run of 0/# stands for the number, quoted text is copied, "" = plain number.
    const std::string& displayFormat() const { return m_displayFormat; }
    const std::string& editFormat() const { return m_editFormat; }
    void setDisplayFormat(std::string format) { m_displayFormat = std::move(format); }
    void setEditFormat(std::string format) { m_editFormat = std::move(format); }

    std::string asString() const override;
    std::int32_t asInteger() const override;
    std::string displayTextOf(const FieldValue& value) const override;
    std::string editTextOf(const FieldValue& value) const override;

    void setAsString(std::string_view text) override;
    void setAsInteger(std::int32_t value) override;
    FieldValue valueFromText(std::string_view text) const override;

protected:
    IntegerField(MoviesQuery& query, int index, std::string name, FieldType type);

private:
    std::string m_displayFormat;
    std::string m_editFormat;
};

// The key column: assigned by the engine when an inserted row is posted; setting it fails with
// "Field '%s' cannot be modified".
class AutoIncField : public IntegerField {
public:
    AutoIncField(MoviesQuery& query, int index, std::string name);
};

// A Unicode text column of size() characters. Empty text is stored as empty text, not null; longer text is
// cut silently.
class WideStringField : public Field {
public:
    WideStringField(MoviesQuery& query, int index, std::string name, int size);

    std::string asString() const override;
    // The text read as an integer by the integer column's rule.
    std::int32_t asInteger() const override;
    std::string displayTextOf(const FieldValue& value) const override;

    void setAsString(std::string_view text) override;
    void setAsInteger(std::int32_t value) override;
    FieldValue valueFromText(std::string_view text) const override;
};

// A long binary column (the cover picture's bytes; their format is the pictures module's business).
class BlobField : public Field {
public:
    BlobField(MoviesQuery& query, int index, std::string name);

    // The bytes, or nothing when the column is null.
    std::optional<Bytes> asBytes() const;
    // A view of the bytes that stays valid until the row or the column changes; empty when null.
    std::string_view data() const;
    void setAsBytes(Bytes bytes);

    // The bytes as a string; "(BLOB)" / "" as display text.
    std::string asString() const override;
    std::string displayTextOf(const FieldValue& value) const override;
    // Not an integer column: fails with "Cannot access field '%s' as type Integer".
    std::int32_t asInteger() const override;

    void setAsString(std::string_view bytes) override;
    void setAsInteger(std::int32_t value) override;
    FieldValue valueFromText(std::string_view bytes) const override;
};

} // namespace vantrelle::store
