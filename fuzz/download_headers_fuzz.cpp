// What a download reads that a server or the disk gave it: the first byte chooses a Content-Range value
// (even) or a validators file (odd), the rest is the text.
#include "vantrelle/http/ContentRange.h"
#include "vantrelle/http/FileGet.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace vantrelle::http;

namespace {

void check(bool holds)
{
    if (!holds)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] % 2 == 0) {
        if (const auto range = parseContentRange(text))
            check(range->first <= range->last && range->last < range->complete);
    } else if (const auto validators = Validators::fromText(text)) {
        // What is read is written back as it was, and reads as the same again.
        check(!validators->empty() && validators->text() == text);
    }
    return 0;
}
