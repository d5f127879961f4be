#pragma once

#include <unicode/utrans.h>

#include <string>
#include <string_view>

namespace vantrelle::titleindex {

// Spells Latin letters in ASCII as ICU's Latin-ASCII transliteration does: ø as o, æ as ae, ß as ss,
// œ as oe, é as e. The word index's tokenizer strips diacritics by itself but keeps the letters that
// have none to strip, so without this "kobenhavn" would not find "København". Titles are folded before
// they are indexed and searches before they are run. One object serves one thread at a time.
class AsciiFolding {
public:
    AsciiFolding();
    ~AsciiFolding();
    AsciiFolding(const AsciiFolding&) = delete;
    AsciiFolding& operator=(const AsciiFolding&) = delete;

    // UTF-8 in and out; a byte that is not UTF-8 becomes U+FFFD.
    std::string fold(std::string_view text) const;

private:
    UTransliterator* m_transliterator = nullptr;
};

} // namespace vantrelle::titleindex
