#pragma once

// A plain GET into a file, for downloads of large files: the rest of a file that was cut (a range,
// guarded by the version it continues), or a file asked for only when it has changed, with progress.
// Threads: a GET runs wholly on the thread that calls it, its progress included (the dataset download's).

#include "vantrelle/Error.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantrelle::http {

// What identifies one version of a file to its server (RFC 9110, 8.8): its entity tag and its
// modification date, each as the server sent it, either possibly empty.
struct Validators {
    std::string etag;
    std::string lastModified;

    bool empty() const { return etag.empty() && lastModified.empty(); }
    // For If-Range, which takes a strong entity tag or a date (RFC 9110, 13.1.5); empty when neither.
    std::string rangeCondition() const;
    // Whether these are the validators of the version that `rangeCondition` names.
    bool match(std::string_view rangeCondition) const;

    // As two lines of text, the entity tag then the date, as they are kept beside a file. Reading
    // gives nothing for text that is not two such lines (a line break, a control character or more
    // than 1 KB in either) or names neither.
    std::string text() const;
    static std::optional<Validators> fromText(std::string_view text);
};

// The largest body taken from a server that does not announce its length: far above the largest
// file a download is meant for, but short of filling a disk with an endless answer.
inline constexpr std::uint64_t kMaxUnannouncedBytes = std::uint64_t { 8 } << 30;

// A GET into a file that failed: the message says why, without naming the address.
class EFileGetError : public Error {
public:
    using Error::Error;
};

struct FileGetProgress {
    std::uint64_t bytesRead = 0; // of the whole file, the part that was there included
    std::uint64_t bytesTotal = 0; // of the whole file; 0 while it is not known
};

struct FileGet {
    // Above 0: only the bytes from here on are asked for (Range), and only while the file is still the
    // version `ifRange` names (If-Range: a strong entity tag or a date); a newer version comes whole.
    std::uint64_t resumeFrom = 0;
    std::string ifRange;
    // The file is asked for only when it has changed since this version (If-None-Match,
    // If-Modified-Since); the server's 304 then leaves it as it is.
    std::optional<Validators> ifChangedSince;
    // Called now and then, also while no data comes. An exception from it ends the transfer and comes
    // out of getIntoFile as it is.
    std::function<void(const FileGetProgress&)> progress;
    // Called when a whole file (200) begins, once the file has been emptied for it, with the
    // validators of that version. An exception from it ends the transfer and comes out as it is.
    std::function<void(const Validators&)> wholeFileBegins;
    // A body longer than this whose length the server did not announce is refused.
    std::uint64_t maxUnannouncedBytes = kMaxUnannouncedBytes;
};

struct FileGetResult {
    long status = 0; // of the last response of the redirect chain
    Validators validators; // those that response sent
    // A 206 that is not the rest of the version asked for (its Content-Range is not "bytes
    // RESUMEFROM-LAST/LAST+1", or its validators are not those of ifRange): nothing of it was written.
    bool wrongPart = false;
};

// GETs `url` (http or https; at most 5 redirects, which never lead from https to http) into `file`.
// The body of a 200 replaces the file (which is removed and made anew, never followed if it is a
// symbolic link); that of a 206 is appended to it (a regular file, not a link) when it is the rest
// of the version asked for (see wrongPart). The body of any other status is no part of the file,
// which is then not touched; the status tells the caller. A body must be as long as its server
// announced, or at most maxUnannouncedBytes when it announced nothing. A written file is flushed
// to disk and closed before this returns. A server that sends nothing for a minute is given up.
// Throws EFileGetError when the transfer or the file fails; a file that could not be written (a
// full disk) or that a body outgrew is removed first.
FileGetResult getIntoFile(const std::string& url, const std::filesystem::path& file, const FileGet& request);

// The protocols a redirect from `url` may go to: https only from https.
const char* redirectProtocols(std::string_view url);

} // namespace vantrelle::http
