#include "db/FileIdentity.h"

#include <sys/stat.h>

namespace velmora::db {

namespace {
FileIdentity identityFrom(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}
} // namespace

std::optional<FileIdentity> identityOf(const std::filesystem::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0)
        return std::nullopt;
    return identityFrom(info);
}

std::optional<FileIdentity> identityOf(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return std::nullopt;
    return identityFrom(info);
}

} // namespace velmora::db
