#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::titleindex {

class AsciiFolding;

// The words of a title as the search compares them: Latin letters spelled in ASCII as the index spells them
// ("Été" as "ete", "Straße" as "strasse"), in lower case, split at everything that is no letter or digit. For
// whatever must tell whether a hit of the search is the very title it was asked for. One object serves one
// thread at a time.
class TitleWords {
public:
    TitleWords();
    ~TitleWords();
    TitleWords(const TitleWords&) = delete;
    TitleWords& operator=(const TitleWords&) = delete;

    // UTF-8 in and out.
    std::vector<std::string> operator()(std::string_view title) const;

private:
    std::unique_ptr<AsciiFolding> m_folding;
};

} // namespace vantrelle::titleindex
