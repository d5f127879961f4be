#include "AsciiFolding.h"

#include "vantrelle/Error.h"

#include <unicode/ustring.h>
#include <unicode/utrans.h>

#include <algorithm>
#include <climits>

namespace vantrelle::titleindex {

namespace {

constexpr UChar32 kReplacement = 0xFFFD;

} // namespace

AsciiFolding::AsciiFolding()
{
    static constexpr UChar kId[] = u"Latin-ASCII";
    UErrorCode status = U_ZERO_ERROR;
    m_transliterator = utrans_openU(kId, -1, UTRANS_FORWARD, nullptr, 0, nullptr, &status);
    if (U_FAILURE(status))
        throw Error(std::string("ICU's Latin-ASCII transliteration is missing: ") + u_errorName(status));
}

AsciiFolding::~AsciiFolding()
{
    utrans_close(m_transliterator);
}

std::string AsciiFolding::fold(std::string_view text) const
{
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })
        || text.size() > INT_MAX / 8)
        return std::string(text);
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    const auto size = static_cast<int32_t>(text.size());
    u_strFromUTF8WithSub(nullptr, 0, &length, text.data(), size, kReplacement, nullptr, &status);
    // A letter becomes at most a few ASCII letters; more room is made when that is not enough.
    for (int32_t capacity = length * 2 + 16;; capacity *= 2) {
        std::u16string folded(static_cast<std::size_t>(capacity), u'\0');
        status = U_ZERO_ERROR;
        u_strFromUTF8WithSub(folded.data(), capacity, &length, text.data(), size, kReplacement, nullptr, &status);
        int32_t foldedLength = length;
        int32_t limit = length;
        utrans_transUChars(m_transliterator, folded.data(), &foldedLength, capacity, 0, &limit, &status);
        if (status == U_BUFFER_OVERFLOW_ERROR && capacity < INT_MAX / 4)
            continue;
        if (U_FAILURE(status))
            return std::string(text);
        std::string utf8(static_cast<std::size_t>(foldedLength) * 3, '\0');
        int32_t utf8Length = 0;
        u_strToUTF8WithSub(utf8.data(), static_cast<int32_t>(utf8.size()), &utf8Length, folded.data(), foldedLength,
            kReplacement, nullptr, &status);
        utf8.resize(static_cast<std::size_t>(utf8Length));
        return utf8;
    }
}

} // namespace vantrelle::titleindex
