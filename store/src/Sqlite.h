#pragma once

#include "vantrelle/sqlite/Sqlite.h"
#include "vantrelle/store/Errors.h"

#include <string>

namespace vantrelle::store {

// The store reports every failure of the engine as EEngineError with SQLite's message. When SQLite gave up
// waiting for another program's lock, the error is EEngineBusy and says first what happened and what to do.
[[noreturn]] inline void throwEngineError(int result, const std::string& message)
{
    const int primary = result & 0xFF;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        throw EEngineBusy("The catalogue is in use by another program. Try again when it has finished.\n" + message);
    throw EEngineError(message);
}

} // namespace vantrelle::store
