#include "vantrelle/titleindex/TitleWords.h"

#include "AsciiFolding.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <climits>

namespace vantrelle::titleindex {

namespace {

bool isAscii(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

TitleWords::TitleWords()
    : m_folding(std::make_unique<AsciiFolding>())
{
}

TitleWords::~TitleWords() = default;

std::vector<std::string> TitleWords::operator()(std::string_view title) const
{
    const std::string folded = isAscii(title) ? std::string(title) : m_folding->fold(title);
    std::vector<std::string> words(1);
    const auto size = static_cast<std::int32_t>(std::min<std::size_t>(folded.size(), INT_MAX));
    for (std::int32_t at = 0; at < size;) {
        UChar32 c = 0;
        U8_NEXT(folded.data(), at, size, c);
        if (c >= 0 && u_isalnum(c)) {
            const UChar32 lower = u_foldCase(c, U_FOLD_CASE_DEFAULT);
            char bytes[U8_MAX_LENGTH];
            std::int32_t length = 0;
            U8_APPEND_UNSAFE(bytes, length, lower);
            words.back().append(bytes, static_cast<std::size_t>(length));
        } else if (!words.back().empty()) {
            words.emplace_back();
        }
    }
    if (words.back().empty())
        words.pop_back();
    return words;
}

} // namespace vantrelle::titleindex
