#pragma once

#include "vantrelle/Error.h"

namespace vantrelle::store {

// A failure of the movies query or of one of its columns: an operation in the wrong state, a value that
// does not convert, a column that is missing or of the wrong type at open.
class EDatabaseError : public vantrelle::Error {
public:
    using vantrelle::Error::Error;
};

// A failure reported by the database engine (the file cannot be opened, a write is refused, ...), with a
// message that says what went wrong in the user's terms.
class EEngineError : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

// The engine gave up waiting while another program held the catalogue (a write of its own under way).
// Nothing changed; the same operation can simply be tried again.
class EEngineBusy : public EEngineError {
public:
    using EEngineError::EEngineError;
};

// A post or delete refused because another program changed or deleted the row after the query read it.
// Nothing of either side is lost: the table keeps the other program's row, the query keeps the user's values.
class EUpdateConflict : public EEngineError {
public:
    using EEngineError::EEngineError;
};

} // namespace vantrelle::store
