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

TField::TField(TMoviesQuery& query, int index, std::string name, TFieldType type, int size, TAlignment alignment)
    : m_query(&query)
    , m_index(index)
    , m_name(std::move(name))
    , m_type(type)
    , m_size(size)
    , m_alignment(alignment)
{
}

bool TField::IsNull() const
{
    return std::holds_alternative<std::monostate>(Value());
}

const FieldValue& TField::Value() const
{
    return m_query->currentValue(m_index);
}

void TField::Clear()
{
    SetValue(std::monostate {});
}

void TField::checkCanModify() const
{
    if (m_readOnly)
        throw EDatabaseError("Field '" + m_name + "' cannot be modified");
    m_query->checkEditing();
}

void TField::SetValue(FieldValue value)
{
    checkCanModify();
    m_query->setCurrentValue(m_index, std::move(value));
}

void TField::AccessError(std::string_view typeName) const
{
    throw EDatabaseError("Cannot access field '" + m_name + "' as type " + std::string(typeName));
}

TIntegerField::TIntegerField(TMoviesQuery& query, int index, std::string name)
    : TIntegerField(query, index, std::move(name), TFieldType::ftInteger)
{
}

TIntegerField::TIntegerField(TMoviesQuery& query, int index, std::string name, TFieldType type)
    : TField(query, index, std::move(name), type, 0, TAlignment::taLeftJustify)
{
}

std::string TIntegerField::AsString() const
{
    const auto* value = std::get_if<std::int32_t>(&Value());
    return value ? std::to_string(*value) : std::string();
}

std::int32_t TIntegerField::AsInteger() const
{
    const auto* value = std::get_if<std::int32_t>(&Value());
    return value ? *value : 0;
}

std::string TIntegerField::displayTextOf(const FieldValue& value) const
{
    const auto* number = std::get_if<std::int32_t>(&value);
    return number ? formatInteger(m_displayFormat, *number) : std::string();
}

std::string TIntegerField::editTextOf(const FieldValue& value) const
{
    const auto* number = std::get_if<std::int32_t>(&value);
    return number ? formatInteger(m_editFormat.empty() ? m_displayFormat : m_editFormat, *number) : std::string();
}

void TIntegerField::SetAsString(std::string_view text)
{
    checkCanModify();
    SetValue(valueFromText(text));
}

FieldValue TIntegerField::valueFromText(std::string_view text) const
{
    if (text.empty())
        return std::monostate {};
    const auto value = parseInteger(text);
    if (!value)
        throw EDatabaseError(invalidInteger(text, FieldName()));
    return *value;
}

void TIntegerField::SetAsInteger(std::int32_t value)
{
    SetValue(value);
}

TAutoIncField::TAutoIncField(TMoviesQuery& query, int index, std::string name)
    : TIntegerField(query, index, std::move(name), TFieldType::ftAutoInc)
{
    m_readOnly = true;
}

TWideStringField::TWideStringField(TMoviesQuery& query, int index, std::string name, int size)
    : TField(query, index, std::move(name), TFieldType::ftWideString, size, TAlignment::taLeftJustify)
{
}

std::string TWideStringField::AsString() const
{
    const auto* text = std::get_if<std::string>(&Value());
    return text ? *text : std::string();
}

std::int32_t TWideStringField::AsInteger() const
{
    const std::string text = AsString();
    const auto value = parseInteger(text);
    if (!value)
        throw EDatabaseError(invalidInteger(text, FieldName()));
    return *value;
}

std::string TWideStringField::displayTextOf(const FieldValue& value) const
{
    const auto* text = std::get_if<std::string>(&value);
    return text ? *text : std::string();
}

void TWideStringField::SetAsString(std::string_view text)
{
    checkCanModify();
    SetValue(valueFromText(text));
}

FieldValue TWideStringField::valueFromText(std::string_view text) const
{
    std::string unicode = ansiToUtf8(text);
    const std::size_t kept = utf8Prefix(unicode, static_cast<std::size_t>(Size())).size();
    unicode.resize(kept);
    return unicode;
}

void TWideStringField::SetAsInteger(std::int32_t value)
{
    SetAsString(std::to_string(value));
}

TBlobField::TBlobField(TMoviesQuery& query, int index, std::string name)
    : TField(query, index, std::move(name), TFieldType::ftBlob, 0, TAlignment::taLeftJustify)
{
}

std::optional<Bytes> TBlobField::AsBytes() const
{
    if (const auto* bytes = std::get_if<Bytes>(&Value()))
        return *bytes;
    return std::nullopt;
}

std::string_view TBlobField::Data() const
{
    const auto* bytes = std::get_if<Bytes>(&Value());
    return bytes ? std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()) : std::string_view();
}

void TBlobField::SetAsBytes(Bytes bytes)
{
    SetValue(std::move(bytes));
}

std::string TBlobField::AsString() const
{
    return std::string(Data());
}

std::string TBlobField::displayTextOf(const FieldValue& value) const
{
    return std::holds_alternative<Bytes>(value) ? "(BLOB)" : "";
}

std::int32_t TBlobField::AsInteger() const
{
    AccessError("Integer");
}

void TBlobField::SetAsString(std::string_view bytes)
{
    SetValue(valueFromText(bytes));
}

FieldValue TBlobField::valueFromText(std::string_view bytes) const
{
    return Bytes(bytes.begin(), bytes.end());
}

void TBlobField::SetAsInteger(std::int32_t)
{
    AccessError("Integer");
}

} // namespace vantrelle::store
