#include "CatalogueFile.h"

#include "StoredText.h"

#include "vantrelle/store/ConnectionString.h"
#include "vantrelle/store/Errors.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <linux/magic.h>
#include <sys/vfs.h>

namespace vantrelle::store {

namespace fs = std::filesystem;

std::string quoted(const fs::path& file)
{
    return quotedText(file.native());
}

bool readOnlyAsked(std::string_view connectionString)
{
    const auto attributes = parseConnectionString(connectionString);
    const auto found = attributes.find("READONLY");
    return found != attributes.end() && (found->second == "1" || found->second == "true" || found->second == "yes");
}

void checkCatalogueFile(const fs::path& file)
{
    std::error_code error;
    const fs::file_status status = fs::status(file, error);
    if (!fs::exists(status)) {
        const fs::path folder = fs::absolute(file, error).parent_path();
        throw EEngineError("Could not find file " + quoted(file.filename()) + " in the folder " + quoted(folder));
    }
    if (fs::is_directory(status))
        throw EEngineError(quoted(file) + " is a folder, not a catalogue file");
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw EEngineError("Cannot read " + quoted(file) + ": " + std::strerror(errno));
    std::array<char, 32> header {};
    in.read(header.data(), header.size());
    const std::string_view bytes(header.data(), static_cast<std::size_t>(in.gcount()));
    if (bytes.empty())
        return; // SQLite takes an empty file as an empty database
    if (bytes.starts_with(std::string_view("SQLite format 3\0", 16)))
        return;
    // Jet 3/4 (.mdb) and ACE (.accdb) files carry their engine's name at offset 4.
    if (bytes.size() >= 19 && (bytes.substr(4, 15) == "Standard Jet DB" || bytes.substr(4, 15) == "Standard ACE DB"))
        throw EEngineError(quoted(file)
            + " is a Microsoft Access (Jet) database, which cannot be opened directly; copy its "
              "table Movies into a SQLite catalogue (vantrelle-tool create) first");
    throw EEngineError(quoted(file) + " is not a SQLite database");
}

bool onLocalDisk(const fs::path& file)
{
    struct statfs disk { };
    if (::statfs(file.c_str(), &disk) != 0)
        return false;
    // The file systems of a machine's own disks and memory; any other (NFS, SMB, FUSE, 9p ...) may be shared.
    switch (static_cast<unsigned long>(disk.f_type)) {
    case EXT4_SUPER_MAGIC: // also ext2 and ext3
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case RAMFS_MAGIC:
    case OVERLAYFS_SUPER_MAGIC:
    case MSDOS_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

} // namespace vantrelle::store
