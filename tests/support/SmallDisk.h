#pragma once

// A small tmpfs mounted on a folder, for tests of a full disk, where the machine allows the mount (as root
// or with the right to mount); unmounted again at the end.

#include <filesystem>
#include <string>
#include <sys/mount.h>

namespace vantrelle::test {

class SmallDisk {
public:
    SmallDisk(const std::filesystem::path& folder, std::size_t bytes)
        : m_folder(folder)
    {
        std::filesystem::create_directories(folder);
        const std::string options = "size=" + std::to_string(bytes);
        m_mounted = ::mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_folder.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    const std::filesystem::path& path() const { return m_folder; }

private:
    std::filesystem::path m_folder;
    bool m_mounted = false;
};

} // namespace vantrelle::test
