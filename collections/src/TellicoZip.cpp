// A Tellico .tc file is a zip holding "tellico.xml" and, when the covers were kept inside it, "images/ID".

#include "FilmText.h"
#include "Readers.h"
#include "XmlDocument.h"
#include "XmlReaders.h"

#include <zip.h>

#include <memory>

namespace vantrelle::collections {

namespace {

// No single member of a collection is larger than this.
constexpr zip_uint64_t kMaxMemberBytes = 64u << 20;

struct CloseArchive {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

struct CloseMember {
    void operator()(zip_file_t* member) const { zip_fclose(member); }
};

class ZipArchive {
public:
    explicit ZipArchive(std::string_view bytes)
    {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
        if (source)
            m_archive.reset(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error));
        if (!m_archive) {
            const std::string reason = zip_error_strerror(&error);
            zip_error_fini(&error);
            if (source)
                zip_source_free(source);
            throw ECollectionError("a damaged zip file (" + reason + ")");
        }
        zip_error_fini(&error);
    }

    // The member's bytes; none when the zip has no such member.
    std::optional<std::string> member(const std::string& name) const
    {
        const zip_int64_t index = zip_name_locate(m_archive.get(), name.c_str(), 0);
        if (index < 0)
            return std::nullopt;
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(m_archive.get(), static_cast<zip_uint64_t>(index), 0, &stat) != 0
            || !(stat.valid & ZIP_STAT_SIZE))
            throw ECollectionError("the zip's member " + name + " cannot be read");
        if (stat.size > kMaxMemberBytes)
            throw ECollectionError("the zip's member " + name + " is larger than a collection's can be");
        const std::unique_ptr<zip_file_t, CloseMember> file(
            zip_fopen_index(m_archive.get(), static_cast<zip_uint64_t>(index), 0));
        std::string bytes(static_cast<std::size_t>(stat.size), '\0');
        if (!file || zip_fread(file.get(), bytes.data(), stat.size) != static_cast<zip_int64_t>(stat.size))
            throw ECollectionError("the zip's member " + name + " is damaged");
        return bytes;
    }

private:
    std::unique_ptr<zip_t, CloseArchive> m_archive;
};

} // namespace

Collection readTellicoZip(std::string_view bytes, const std::filesystem::path& file)
{
    const ZipArchive archive(bytes);
    const std::optional<std::string> xml = archive.member("tellico.xml");
    if (!xml)
        throw ECollectionError("a zip file that holds no tellico.xml, so no Tellico collection");
    const XmlDocument document(*xml);
    if (localName(document.root()) != "tellico")
        throw ECollectionError("the zip's tellico.xml is no Tellico collection");
    const ZipPictures inZip = [&archive](const std::string& id) {
        const std::optional<std::string> picture = archive.member("images/" + id);
        return picture ? std::vector<std::uint8_t>(picture->begin(), picture->end()) : std::vector<std::uint8_t>();
    };
    return { CollectionKind::tellico, distinctFilms(readTellico(document.root(), file, inZip)) };
}

} // namespace vantrelle::collections
