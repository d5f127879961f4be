#pragma once

#include "vantrelle/store/Field.h"

#include <string>
#include <string_view>

namespace vantrelle::store {

// The type name of a column as the query reports it ("Integer", "SmallInt", "AutoInc", "WideString", "Memo",
// "Blob", ...), from its declared SQL type and whether it is an AUTOINCREMENT key.
std::string columnTypeName(std::string_view declaredType, bool autoIncrement);

// The type name a column object expects ("AutoInc", "Integer", "WideString", "Blob").
std::string expectedTypeName(FieldType type);

// Whether a column declared as `declaredType` can be bound to a column object of type `type`. Cover takes
// every long type: the long binary and long text types, and any text type declared without a size, which
// SQLite never bounds.
bool typeCompatible(FieldType type, std::string_view declaredType, bool autoIncrement);

} // namespace vantrelle::store
