#pragma once

#include "vantrelle/Error.h"

#include <string>

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

// A file that cannot be opened, read or closed ("File not found", "File access denied", "I/O error %d", ...),
// with the platform's error number.
class EInOutError : public EFileError {
public:
    EInOutError(const std::string& message, int errorCode)
        : EFileError(message)
        , m_errorCode(errorCode)
    {
    }
    int errorCode() const { return m_errorCode; }

private:
    int m_errorCode;
};

// A GIF file that cannot be read ("Invalid GIF signature", "Premature end of data", ...).
class EGIFError : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
};

// A JPEG file that libjpeg refuses ("JPEG error #%d") or that exceeds the decoder's limits.
class EJPEG : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
};

// A picture that cannot be converted to another kind ("Cannot assign a %s to a %s").
class EConvertError : public vantrelle::Error {
public:
    using vantrelle::Error::Error;
};

} // namespace vantrelle::pictures
