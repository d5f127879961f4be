// Request heads come from any program on the machine, in pieces of any size. Whatever they hold, the
// reader ends in one state whichever way the bytes are cut, never takes more than it was given, and
// never holds more than its bounds allow.
#include "vantrelle/titlesite/RequestHead.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using vantrelle::titlesite::RequestHeadReader;

namespace {

// Feeds `input` in pieces of `piece` bytes, as the reads of a connection would bring it.
RequestHeadReader readInPieces(std::string_view input, std::size_t piece, std::size_t& used)
{
    RequestHeadReader reader({ 64, 512, 8 });
    used = 0;
    while (used < input.size() && reader.state() == RequestHeadReader::State::Reading) {
        const std::string_view bytes = input.substr(used, piece);
        const std::size_t taken = reader.feed(bytes);
        if (taken > bytes.size())
            __builtin_trap();
        used += taken;
        if (taken < bytes.size())
            break;
    }
    return reader;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t wholeUsed = 0, byteUsed = 0;
    const RequestHeadReader whole = readInPieces(input, input.size() + 1, wholeUsed);
    const RequestHeadReader bytewise = readInPieces(input, 1, byteUsed);
    if (whole.state() != bytewise.state() || whole.refusal() != bytewise.refusal())
        __builtin_trap();
    if (whole.state() == RequestHeadReader::State::Complete
        && (wholeUsed != byteUsed || wholeUsed > 512 || whole.head().target != bytewise.head().target
            || whole.head().host != bytewise.head().host || whole.head().target.empty()))
        __builtin_trap();
    return 0;
}
