#include "vantrelle/Error.h"
#include "vantrelle/UserFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

using namespace vantrelle;

namespace {

// Sets or unsets an environment variable for the life of the object.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedVariable() { m_old ? setenv(m_name, m_old->c_str(), 1) : unsetenv(m_name); }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace

TEST(UserFiles, DataDirFollowsXdgDataHomeElseHome)
{
    struct Case {
        const char* dataHome;
        const char* home;
        const char* expected;
    } const cases[] = {
        { "/data", "/home/ann", "/data/vantrelle" },
        { nullptr, "/home/ann", "/home/ann/.local/share/vantrelle" },
        { "", "/home/ann", "/home/ann/.local/share/vantrelle" },
        { "relative/data", "/home/ann", "/home/ann/.local/share/vantrelle" },
    };
    for (const auto& c : cases) {
        ScopedVariable dataHome("XDG_DATA_HOME", c.dataHome);
        ScopedVariable home("HOME", c.home);
        EXPECT_EQ(userDataDir(), c.expected) << (c.dataHome ? c.dataHome : "(unset)");
    }
}

TEST(UserFiles, CacheDirFollowsXdgCacheHomeElseHome)
{
    struct Case {
        const char* cacheHome;
        const char* expected;
    } const cases[] = {
        { "/cache", "/cache/vantrelle" },
        { nullptr, "/home/ann/.cache/vantrelle" },
        { "relative/cache", "/home/ann/.cache/vantrelle" },
    };
    ScopedVariable home("HOME", "/home/ann");
    for (const auto& c : cases) {
        ScopedVariable cacheHome("XDG_CACHE_HOME", c.cacheHome);
        EXPECT_EQ(userCacheDir(), c.expected) << (c.cacheHome ? c.cacheHome : "(unset)");
    }
}

TEST(UserFiles, NoPlaceAtAllIsAnError)
{
    ScopedVariable dataHome("XDG_DATA_HOME", nullptr);
    ScopedVariable cacheHome("XDG_CACHE_HOME", nullptr);
    ScopedVariable home("HOME", nullptr);
    EXPECT_THROW(userDataDir(), Error);
    EXPECT_THROW(userCacheDir(), Error);
}

TEST(UserFiles, TitleIndexIsTheNamedFileElseTheOneInTheDataDir)
{
    struct Case {
        const char* named;
        const char* expected;
    } const cases[] = {
        { "/srv/titles/imdb.db", "/srv/titles/imdb.db" },
        { "titles-test.db", "titles-test.db" },
        { "", "/data/vantrelle/titles.db" },
        { nullptr, "/data/vantrelle/titles.db" },
    };
    ScopedVariable dataHome("XDG_DATA_HOME", "/data");
    for (const auto& c : cases) {
        ScopedVariable named("VANTRELLE_TITLE_INDEX", c.named);
        EXPECT_EQ(userTitleIndex(), c.expected) << (c.named ? c.named : "(unset)");
    }
}
