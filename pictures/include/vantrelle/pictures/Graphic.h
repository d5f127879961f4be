#pragma once

#include "vantrelle/pictures/Stream.h"

#include <memory>
#include <string>

namespace vantrelle::pictures {

// The base of every graphic class: it reads itself from a stream (each class in its
// own format, from the stream's position to its end) or from a file, and tells its
// size. Width and height are in pixels.
class TGraphic {
public:
    virtual ~TGraphic() = default;

    virtual const char* className() const = 0;
    virtual bool empty() const = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;

    virtual void loadFromStream(Stream& stream) = 0;
    // Reads the whole file and loads it as a stream; "Cannot open file %s" when it cannot be read.
    virtual void loadFromFile(const std::string& fileName);

    // A deep copy of the same class.
    virtual std::unique_ptr<TGraphic> clone() const = 0;

protected:
    TGraphic() = default;
    TGraphic(const TGraphic&) = default;
    TGraphic& operator=(const TGraphic&) = default;
};

} // namespace vantrelle::pictures
