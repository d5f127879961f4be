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

bool Field::IsNull() const
{
    return std::holds_alternative<std::monostate>(Value());
}

const FieldValue& Field::Value() const
{
    return m_query->currentValue(m_index);
}

void Field::Clear()
{
    SetValue(std::monostate {});
}

void Field::checkCanModify() const
{
    if (m_readOnly)
        throw EDatabaseError("Field '" + m_name + "' cannot be modified");
    m_query->checkEditing();
}

void Field::SetValue(FieldValue value)
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

std::string IntegerField::AsString() const
{
    const auto* value = std::get_if<std::int32_t>(&Value());
    return value ? std::to_string(*value) : std::string();
}

std::int32_t IntegerField::AsInteger() const
{
    const auto* value = std::get_if<std::int32_t>(&Value());
    return value ? *value : 0;
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

void IntegerField::SetAsString(std::string_view text)
{
    checkCanModify();
    SetValue(valueFromText(text));
}

FieldValue IntegerField::valueFromText(std::string_view text) const
{
    if (text.empty())
        return std::monostate {};
    const auto value = parseInteger(text);
    if (!value)
        throw EDatabaseError(invalidInteger(text, FieldName()));
    return *value;
}

void IntegerField::SetAsInteger(std::int32_t value)
{
    SetValue(value);
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

std::string WideStringField::AsString() const
{
    const auto* text = std::get_if<std::string>(&Value());
    return text ? *text : std::string();
}

std::int32_t WideStringField::AsInteger() const
{
    const std::string text = AsString();
    const auto value = parseInteger(text);
    if (!value)
        throw EDatabaseError(invalidInteger(text, FieldName()));
    return *value;
}

std::string WideStringField::displayTextOf(const FieldValue& value) const
{
    const auto* text = std::get_if<std::string>(&value);
    return text ? *text : std::string();
}

void WideStringField::SetAsString(std::string_view text)
{
    checkCanModify();
    SetValue(valueFromText(text));
}

FieldValue WideStringField::valueFromText(std::string_view text) const
{
    std::string unicode = ansiToUtf8(text);
    const std::size_t kept = utf8Prefix(unicode, static_cast<std::size_t>(Size())).size();
    unicode.resize(kept);
    return unicode;
}

void WideStringField::SetAsInteger(std::int32_t value)
{
    SetAsString(std::to_string(value));
}

BlobField::BlobField(MoviesQuery& query, int index, std::string name)
    : Field(query, index, std::move(name), FieldType::ftBlob, 0, FieldAlignment::taLeftJustify)
{
}

std::optional<Bytes> BlobField::AsBytes() const
{
    if (const auto* bytes = std::get_if<Bytes>(&Value()))
        return *bytes;
    return std::nullopt;
}

std::string_view BlobField::Data() const
{
    const auto* bytes = std::get_if<Bytes>(&Value());
    return bytes ? std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()) : std::string_view();
}

void BlobField::SetAsBytes(Bytes bytes)
{
    SetValue(std::move(bytes));
}

std::string BlobField::AsString() const
{
    return std::string(Data());
}

std::string BlobField::displayTextOf(const FieldValue& value) const
{
    return std::holds_alternative<Bytes>(value) ? "(BLOB)" : "";
}

std::int32_t BlobField::AsInteger() const
{
    AccessError("Integer");
}

void BlobField::SetAsString(std::string_view bytes)
{
    SetValue(valueFromText(bytes));
}

FieldValue BlobField::valueFromText(std::string_view bytes) const
{
    return Bytes(bytes.begin(), bytes.end());
}

void BlobField::SetAsInteger(std::int32_t)
{
    AccessError("Integer");
}

} // namespace vantrelle::store
