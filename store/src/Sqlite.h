#pragma once

#include "vantrelle/sqlite/Sqlite.h"
#include "vantrelle/store/Errors.h"

#include <string>

namespace vantrelle::store {

// The store reports every failure of the engine as EEngineError with SQLite's message.
[[noreturn]] inline void throwEngineError(const std::string& message)
{
    throw EEngineError(message);
}

} // namespace vantrelle::store
