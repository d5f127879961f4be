#include "vantrelle/store/TitleOrder.h"

#include "vantrelle/store/Errors.h"

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <array>
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

// Whether `collator` orders ASCII letters, digits and spaces as the root rules do: no tailoring (most languages
// written in Latin letters have none), no reordered scripts, and the default attributes.
bool ordersPlainTitlesAsRoot(const UCollator* collator)
{
    std::int32_t rulesLength = 0;
    ucol_getRules(collator, &rulesLength);
    UErrorCode status = U_ZERO_ERROR;
    const std::int32_t reorderCodes = ucol_getReorderCodes(collator, nullptr, 0, &status);
    const auto is = [collator](UColAttribute attribute, UColAttributeValue value) {
        UErrorCode attributeStatus = U_ZERO_ERROR;
        return ucol_getAttribute(collator, attribute, &attributeStatus) == value && U_SUCCESS(attributeStatus);
    };
    return rulesLength == 0 && reorderCodes == 0 && is(UCOL_STRENGTH, UCOL_TERTIARY)
        && is(UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE) && is(UCOL_CASE_FIRST, UCOL_OFF)
        && is(UCOL_CASE_LEVEL, UCOL_OFF) && is(UCOL_NUMERIC_COLLATION, UCOL_OFF);
}

// ASCII letters, digits and the space.
constexpr std::array<bool, 256> kPlainCharacters = [] {
    std::array<bool, 256> plain {};
    plain[' '] = true;
    for (int c = 0; c < 10; ++c)
        plain['0' + c] = true;
    for (int c = 0; c < 26; ++c)
        plain['a' + c] = plain['A' + c] = true;
    return plain;
}();

bool isPlainTitle(std::string_view title)
{
    bool plain = true; // no branch on each character
    for (const char c : title)
        plain &= kPlainCharacters[static_cast<unsigned char>(c)];
    return plain;
}

// The root rules' order of two titles of ASCII letters, digits and spaces alone, without the collator's setup
// for every call: those characters come in the order of their lower-case codes (space, digits, letters), a title
// that begins another comes first, and of titles that differ in case alone the one in lower case where they
// first differ.
int comparePlainTitles(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return static_cast<unsigned char>(c | 0x20); }; // of A-Z; the others stay
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t i = 0;
    while (i < common && lower(a[i]) == lower(b[i]))
        ++i;
    if (i < common)
        return lower(a[i]) < lower(b[i]) ? -1 : 1;
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const auto caseDiffers = std::mismatch(a.begin(), a.end(), b.begin());
    if (caseDiffers.first == a.end())
        return 0;
    return *caseDiffers.first > *caseDiffers.second ? -1 : 1; // the lower case has the higher code
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
    m_plainTitlesAsRoot = ordersPlainTitlesAsRoot(m_order.get());
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
    // A list that is mostly in order already is checked a neighbour at a time, where ICU's own setup for each
    // comparison would take most of the time.
    if (m_plainTitlesAsRoot && isPlainTitle(a) && isPlainTitle(b))
        return comparePlainTitles(a, b);
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
