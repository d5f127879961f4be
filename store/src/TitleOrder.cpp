#include "vantrelle/store/TitleOrder.h"

#include "vantrelle/store/Errors.h"

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

namespace vantrelle::store {

namespace {

// ICU takes lengths as 32-bit counts; a title is never near that, and a longer text is cut there.
std::int32_t length(std::string_view text)
{
    return static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
}

UCollator* openCollator(const std::string& locale, UCollationStrength strength)
{
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open(locale.empty() ? "root" : locale.c_str(), &status);
    if (U_FAILURE(status))
        throw EDatabaseError(std::string("The rules for sorting titles cannot be loaded: ") + u_errorName(status));
    ucol_setStrength(collator, strength);
    return collator;
}

// A POSIX locale name without its character set and modifier; "" for the language-neutral C and POSIX.
std::string localeName(std::string_view locale)
{
    const std::string name(locale.substr(0, locale.find_first_of(".@")));
    return name == "C" || name == "POSIX" ? std::string() : name;
}

int compareWith(const UCollator* collator, std::string_view a, std::string_view b)
{
    UErrorCode status = U_ZERO_ERROR;
    // Invalid UTF-8 compares as U+FFFD; the query's text is always valid.
    return ucol_strcollUTF8(collator, a.data(), length(a), b.data(), length(b), &status);
}

std::string keyWith(const UCollator* collator, std::string_view title)
{
    std::vector<UChar> text(title.size() + 1);
    std::int32_t textLength = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(text.data(), static_cast<std::int32_t>(text.size()), &textLength, title.data(), length(title),
        0xFFFD, nullptr, &status); // UTF-8 never takes more UTF-16 units than bytes
    std::string key(64, '\0');
    for (;;) {
        const std::int32_t needed = ucol_getSortKey(collator, text.data(), textLength,
            reinterpret_cast<std::uint8_t*>(key.data()), static_cast<std::int32_t>(key.size()));
        if (needed <= static_cast<std::int32_t>(key.size())) {
            key.resize(needed > 0 ? needed - 1 : 0); // without the terminating zero
            return key;
        }
        key.resize(needed);
    }
}

} // namespace

void TitleCollator::Close::operator()(UCollator* collator) const
{
    ucol_close(collator);
}

TitleCollator::TitleCollator(std::string_view locale)
{
    const std::string name = localeName(locale);
    m_order.reset(openCollator(name, UCOL_TERTIARY));
    m_letters.reset(openCollator(name, UCOL_PRIMARY));
}

TitleCollator::~TitleCollator() = default;

const TitleCollator& TitleCollator::user()
{
    static const TitleCollator collator(
        collationLocale(std::getenv("LC_ALL"), std::getenv("LC_COLLATE"), std::getenv("LANG")));
    return collator;
}

int TitleCollator::compare(std::string_view a, std::string_view b) const
{
    return compareWith(m_order.get(), a, b);
}

bool TitleCollator::same(std::string_view a, std::string_view b) const
{
    return compareWith(m_letters.get(), a, b) == 0;
}

std::string TitleCollator::sortKey(std::string_view title) const
{
    return keyWith(m_order.get(), title);
}

std::string TitleCollator::sameKey(std::string_view title) const
{
    return keyWith(m_letters.get(), title);
}

std::string collationLocale(const char* lcAll, const char* lcCollate, const char* lang)
{
    for (const char* value : { lcAll, lcCollate, lang })
        if (value && *value)
            return localeName(value);
    return {};
}

std::string sameTitleKey(std::string_view title)
{
    return TitleCollator::user().sameKey(title);
}

} // namespace vantrelle::store
