#pragma once

#include <filesystem>
#include <memory>

class QObject;

namespace vantrelle::titlesite {
class TitleSiteServer;
}

namespace vantrelle::app {

class TForm1;

// The user's title index, served on 127.0.0.1 to the window's lookups for as long as the object
// lives. Their requests keep the title service's URLs and reach it as their proxy. With a TMDB key
// (see PosterSourceKey.h) the pages carry TMDB's taglines and posters; a key saved in "Poster
// Source..." holds from the next lookup on, and a key TMDB refuses is named in a warning beside the
// window, once per key.
class LocalTitleService {
public:
    // When the index file exists, serves it and points the window's lookups at it. An index that
    // cannot be served is named, with the reason, in a warning box over the window; the lookups
    // then go to the title service through the system's proxy settings, as without an index.
    // A missing index is no failure unless the user named it (VANTRELLE_TITLE_INDEX): then it is
    // named in the box too, rather than every lookup failing for a reason the user cannot see. A
    // missing index of the user's own makes the lookups offer "Title Data..." instead. Each index that
    // "Title Data..." builds is served from then on.
    explicit LocalTitleService(TForm1& form);
    LocalTitleService(TForm1& form, const std::filesystem::path& index, bool namedByUser = false);
    ~LocalTitleService();
    LocalTitleService(const LocalTitleService&) = delete;
    LocalTitleService& operator=(const LocalTitleService&) = delete;

    bool serving() const { return m_server != nullptr; }

private:
    // Serves the index from now on, in place of the one served so far; an index that cannot be served
    // is named in the warning box, and the one served so far stays.
    void serve(TForm1& form, const std::filesystem::path& index);

    std::unique_ptr<titlesite::TitleSiteServer> m_server;
    std::unique_ptr<QObject> m_connections; // ends the connections to the window with this object
};

} // namespace vantrelle::app
