#include "ColumnTypes.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace vantrelle::store {

namespace {

std::string upperBaseType(std::string_view declared)
{
    // "VARCHAR(50)" -> "VARCHAR", "unsigned big int" -> "UNSIGNED BIG INT"
    std::string base(declared.substr(0, declared.find('(')));
    while (!base.empty() && std::isspace(static_cast<unsigned char>(base.back())))
        base.pop_back();
    const auto start = base.find_first_not_of(" \t\r\n");
    base.erase(0, start == std::string::npos ? base.size() : start);
    std::transform(base.begin(), base.end(), base.begin(), [](unsigned char c) { return std::toupper(c); });
    return base;
}

} // namespace

std::string columnTypeName(std::string_view declaredType, bool autoIncrement)
{
    if (autoIncrement)
        return "AutoInc";
    const std::string base = upperBaseType(declaredType);
    static const std::array<std::pair<const char*, const char*>, 44> known = { {
        { "INTEGER", "Integer" },
        { "INT", "Integer" },
        { "INT4", "Integer" },
        { "MEDIUMINT", "Integer" },
        { "LONG", "Integer" },
        { "SMALLINT", "SmallInt" },
        { "INT2", "SmallInt" },
        { "SHORT", "SmallInt" },
        { "TINYINT", "Byte" },
        { "INT1", "Byte" },
        { "BYTE", "Byte" },
        { "BIGINT", "LargeInt" },
        { "INT8", "LargeInt" },
        { "UNSIGNED BIG INT", "LargeInt" },
        { "BOOLEAN", "Boolean" },
        { "BOOL", "Boolean" },
        { "BIT", "Boolean" },
        { "YESNO", "Boolean" },
        { "CLOB", "Memo" },
        { "MEMO", "Memo" },
        { "LONGTEXT", "Memo" },
        { "MEDIUMTEXT", "Memo" },
        { "LONGCHAR", "Memo" },
        { "NTEXT", "WideMemo" },
        { "BLOB", "Blob" },
        { "LONGBINARY", "Blob" },
        { "LONGVARBINARY", "Blob" },
        { "IMAGE", "Blob" },
        { "OLEOBJECT", "Blob" },
        { "BINARY", "Bytes" },
        { "VARBINARY", "VarBytes" },
        { "REAL", "Float" },
        { "FLOAT", "Float" },
        { "DOUBLE", "Float" },
        { "DOUBLE PRECISION", "Float" },
        { "SINGLE", "Float" },
        { "NUMERIC", "BCD" },
        { "DECIMAL", "BCD" },
        { "MONEY", "Currency" },
        { "CURRENCY", "Currency" },
        { "DATE", "Date" },
        { "DATETIME", "DateTime" },
        { "TIMESTAMP", "DateTime" },
        { "TIME", "Time" },
    } };
    for (const auto& [declared, name] : known)
        if (base == declared)
            return name;
    if (base.empty())
        return "Blob"; // no declared type: SQLite's BLOB affinity (its datatype documentation, 3.1)
    // Otherwise SQLite's own affinity rules decide (datatype documentation, 3.1).
    if (base.find("INT") != std::string::npos)
        return "Integer";
    if (base.find("CHAR") != std::string::npos || base.find("TEXT") != std::string::npos || base == "STRING")
        return "WideString";
    if (base.find("CLOB") != std::string::npos)
        return "Memo";
    if (base.find("BLOB") != std::string::npos)
        return "Blob";
    if (base.find("REAL") != std::string::npos || base.find("FLOA") != std::string::npos
        || base.find("DOUB") != std::string::npos)
        return "Float";
    return "BCD";
}

std::string expectedTypeName(FieldType type)
{
    switch (type) {
    case FieldType::ftAutoInc:
        return "AutoInc";
    case FieldType::ftInteger:
        return "Integer";
    case FieldType::ftWideString:
        return "WideString";
    case FieldType::ftBlob:
        return "Blob";
    }
    return "Unknown";
}

bool typeCompatible(FieldType type, std::string_view declaredType, bool autoIncrement)
{
    const std::string typeName = columnTypeName(declaredType, autoIncrement);
    switch (type) {
    case FieldType::ftAutoInc:
    case FieldType::ftInteger:
        return typeName == "Integer" || typeName == "AutoInc";
    case FieldType::ftWideString:
        return typeName == "WideString" || typeName == "String";
    case FieldType::ftBlob:
        return typeName == "Blob" || typeName == "Memo" || typeName == "WideMemo"
            || (typeName == "WideString" && declaredType.find('(') == std::string_view::npos);
    }
    return false;
}

} // namespace vantrelle::store
