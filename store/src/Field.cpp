#include "vantrelle/store/Field.h"

#include "IntegerText.h"

#include "vantrelle/CodePage.h"
#include "vantrelle/store/Errors.h"
#include "vantrelle/store/MoviesQuery.h"

namespace vantrelle::store {

namespace {

std::string invalidInteger(std::string_view text, const std::string& fieldName)
{
    std::string message(1, '\''); // built by appending: GCC 12 warns falsely on "'" + std::string (-Wrestrict)
    message.append(text).append("' is not a valid integer value for field '").append(fieldName).append("'");
    return message;
}

} // namespace

Field::Field(MoviesQuery& query, int index, std::string name, FieldType type, int size, FieldAlignment alignment)
    : m_query(&query)
    , m_index(index)
    , m_name(std::move(name))
    , m_type(type)
    , m_size(size)
    , m_alignment(alignment)
{
}

bool Field::isNull() const
{
    return std::holds_alternative<std::monostate>(value());
}

const FieldValue& Field::value() const
{
    return m_query->currentValue(m_index);
}

void Field::clear()
{
    setValue(std::monostate {});
}

void Field::checkCanModify() const
{
    if (m_readOnly)
        throw EDatabaseError("Field '" + m_name + "' cannot be modified");
    m_query->checkEditing();
}

void Field::setValue(FieldValue value)
{
    checkCanModify();
    m_query->setCurrentValue(m_index, std::move(value));
}

void Field::AccessError(std::string_view typeName) const
{
    throw EDatabaseError("Cannot access field '" + m_name + "' as type " + std::string(typeName));
}

IntegerField::IntegerField(MoviesQuery& query, int index, std::string name)
    : IntegerField(query, index, std::move(name), FieldType::ftInteger)
{
}

IntegerField::IntegerField(MoviesQuery& query, int index, std::string name, FieldType type)
    : Field(query, index, std::move(name), type, 0, FieldAlignment::taLeftJustify)
{
}

std::string IntegerField::asString() const
{
    const auto* number = std::get_if<std::int32_t>(&value());
    return number ? std::to_string(*number) : std::string();
}

std::int32_t IntegerField::asInteger() const
{
    const auto* number = std::get_if<std::int32_t>(&value());
    return number ? *number : 0;
}

std::string IntegerField::displayTextOf(const FieldValue& value) const
{
    const auto* number = std::get_if<std::int32_t>(&value);
    return number ? formatInteger(m_displayFormat, *number) : std::string();
}

std::string IntegerField::editTextOf(const FieldValue& value) const
{
    const auto* number = std::get_if<std::int32_t>(&value);
    return number ? formatInteger(m_editFormat.empty() ? m_displayFormat : m_editFormat, *number) : std::string();
}

void IntegerField::setAsString(std::string_view text)
{
    checkCanModify();
    setValue(valueFromText(text));
}

FieldValue IntegerField::valueFromText(std::string_view text) const
{
    if (text.empty())
        return std::monostate {};
    const auto value = parseInteger(text);
    if (!value)
        throw EDatabaseError(invalidInteger(text, fieldName()));
    return *value;
}

void IntegerField::setAsInteger(std::int32_t value)
{
    setValue(value);
}

AutoIncField::AutoIncField(MoviesQuery& query, int index, std::string name)
    : IntegerField(query, index, std::move(name), FieldType::ftAutoInc)
{
    m_readOnly = true;
}

WideStringField::WideStringField(MoviesQuery& query, int index, std::string name, int size)
    : Field(query, index, std::move(name), FieldType::ftWideString, size, FieldAlignment::taLeftJustify)
{
}

std::string WideStringField::asString() const
{
    const auto* text = std::get_if<std::string>(&value());
    return text ? *text : std::string();
}

std::int32_t WideStringField::asInteger() const
{
    const std::string text = asString();
    const auto value = parseInteger(text);
    if (!value)
        throw EDatabaseError(invalidInteger(text, fieldName()));
    return *value;
}

std::string WideStringField::displayTextOf(const FieldValue& value) const
{
    const auto* text = std::get_if<std::string>(&value);
    return text ? *text : std::string();
}

void WideStringField::setAsString(std::string_view text)
{
    checkCanModify();
    setValue(valueFromText(text));
}

FieldValue WideStringField::valueFromText(std::string_view text) const
{
    std::string unicode = ansiToUtf8(text);
    const std::size_t kept = utf8Prefix(unicode, static_cast<std::size_t>(size())).size();
    unicode.resize(kept);
    return unicode;
}

void WideStringField::setAsInteger(std::int32_t value)
{
    setAsString(std::to_string(value));
}

BlobField::BlobField(MoviesQuery& query, int index, std::string name)
    : Field(query, index, std::move(name), FieldType::ftBlob, 0, FieldAlignment::taLeftJustify)
{
}

std::optional<Bytes> BlobField::asBytes() const
{
    if (const auto* bytes = std::get_if<Bytes>(&value()))
        return *bytes;
    return std::nullopt;
}

std::string_view BlobField::data() const
{
    const auto* bytes = std::get_if<Bytes>(&value());
    return bytes ? std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()) : std::string_view();
}

void BlobField::setAsBytes(Bytes bytes)
{
    setValue(std::move(bytes));
}

std::string BlobField::asString() const
{
    return std::string(data());
}

std::string BlobField::displayTextOf(const FieldValue& value) const
{
    return std::holds_alternative<Bytes>(value) ? "(BLOB)" : "";
}

std::int32_t BlobField::asInteger() const
{
    AccessError("Integer");
}

void BlobField::setAsString(std::string_view bytes)
{
    setValue(valueFromText(bytes));
}

FieldValue BlobField::valueFromText(std::string_view bytes) const
{
    return Bytes(bytes.begin(), bytes.end());
}

void BlobField::setAsInteger(std::int32_t)
{
    AccessError("Integer");
}

} // namespace vantrelle::store
