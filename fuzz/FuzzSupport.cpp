#include "FuzzSupport.h"

#include "db/DatabaseFiles.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace velmora::fuzz {

namespace {

struct ScratchDir {
    std::filesystem::path path;
    ScratchDir()
        : path(std::filesystem::temp_directory_path() / ("velmora-fuzz-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path);
        // The files found sound are remembered in the user's cache: a fuzzing run keeps its own.
        ::setenv("XDG_CACHE_HOME", path.c_str(), 1);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

} // namespace

const std::filesystem::path& scratchDir() {
    static const ScratchDir dir;
    return dir.path;
}

void writeInput(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size) {
    db::removeWithJournals(file);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void require(bool holds, std::string_view what) {
    if (holds)
        return;
    std::fprintf(stderr, "invariant broken: %.*s\n", static_cast<int>(what.size()), what.data());
    std::abort();
}

} // namespace velmora::fuzz
