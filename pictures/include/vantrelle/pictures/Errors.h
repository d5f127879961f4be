#pragma once

#include "vantrelle/Error.h"

namespace vantrelle::pictures {

// A picture that cannot be read or converted ("Bitmap image is not valid", ...).
class EInvalidGraphic : public vantrelle::Error {
public:
    using vantrelle::Error::Error;
};

// A picture file that cannot be opened or read ("Cannot open file %s", ...).
class EFileError : public vantrelle::Error {
public:
    using vantrelle::Error::Error;
};

} // namespace vantrelle::pictures
