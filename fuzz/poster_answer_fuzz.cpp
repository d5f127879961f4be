// The poster source's API answers come from the network: any bytes must read as a found title or
// nothing, and a poster path that is taken must be one the image address can carry.
#include "vantrelle/postersource/ApiAnswers.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace vantrelle::postersource;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    const FindAnswer found = readFindAnswer(answer);
    if (found.title && (found.title->id <= 0 || checkedPosterPath(found.title->posterPath) != found.title->posterPath))
        __builtin_trap();
    if (found.title && !found.readable)
        __builtin_trap();
    if (readTagline(answer).size() > size)
        __builtin_trap();
    return 0;
}
