#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace velmora::db {

// Which file a name or a descriptor leads to: the same file has the same identity whatever name it
// is reached by (a symbolic link, a hard link, another spelling of its folder).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// std::nullopt when the file cannot be looked at. A name that is a symbolic link leads to its target.
std::optional<FileIdentity> identityOf(const std::filesystem::path& file);
std::optional<FileIdentity> identityOf(int fd);

} // namespace velmora::db
