#include "StoredText.h"

#include "vantrelle/CodePage.h"

namespace vantrelle::store {

namespace {

constexpr std::size_t kShownCharacters = 40;

} // namespace

std::string quotedText(std::string_view text)
{
    std::string result(1, '\''); // built by appending: GCC 12 warns falsely on "'" + std::string (-Wrestrict)
    return result.append(text).append("'");
}

std::string shortenedText(std::string_view text)
{
    std::string unicode = ansiToUtf8(text);
    return utf8Length(unicode) > kShownCharacters ? std::string(utf8Prefix(unicode, kShownCharacters)) + "..."
                                                  : unicode;
}

} // namespace vantrelle::store
