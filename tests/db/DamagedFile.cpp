#include "DamagedFile.h"

#include "db/Connection.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>
#include <vector>

namespace velmora::testing {

namespace {

std::int64_t rootPageOf(const std::filesystem::path& file, const char* type, const std::string& name) {
    db::Connection db(file, db::OpenMode::ReadOnly);
    db::Statement query(db, "SELECT rootpage FROM sqlite_master WHERE type = ?1 AND name = ?2");
    query.bind(1, type).bind(2, name);
    if (!query.step())
        throw std::runtime_error(std::string("no ") + type + " " + name);
    return query.columnInt(0);
}

std::vector<unsigned char> bytesOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Writes the bytes back into the same file, in place, as damage comes: later than the program's last
// change. Older kernels stamp a file's times in clock ticks of a few milliseconds, and a write within
// the tick of the program's own last change would leave the file looking unchanged.
void rewrite(const std::filesystem::path& file, const std::vector<unsigned char>& bytes) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

void spoilMiddleLeafOnDisk(const std::filesystem::path& file, const std::string& table) {
    const std::int64_t rootPage = rootPageOf(file, "table", table);
    std::vector<unsigned char> bytes = bytesOf(file);
    // An interior table page starts with the flag 0x05, its cell count at offset 3 and its cell
    // pointer array at offset 12; each cell starts with the child's page number (four bytes).
    const std::size_t pageSize = bytes.at(16) << 8 | bytes.at(17);
    const std::size_t header = (rootPage - 1) * pageSize + (rootPage == 1 ? 100 : 0);
    if (bytes.at(header) != 0x05)
        throw std::runtime_error(table + " fits on one page");
    const int cells = bytes.at(header + 3) << 8 | bytes.at(header + 4);
    const std::size_t pointer = header + 12 + 2 * static_cast<std::size_t>(cells / 2);
    const std::size_t cell = (rootPage - 1) * pageSize + (bytes.at(pointer) << 8 | bytes.at(pointer + 1));
    const std::size_t child = static_cast<std::size_t>(bytes.at(cell)) << 24 | bytes.at(cell + 1) << 16 |
                              bytes.at(cell + 2) << 8 | bytes.at(cell + 3);
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>((child - 1) * pageSize), pageSize, 0xFF);
    rewrite(file, bytes);
}

void misdirectIndexEntryOnDisk(const std::filesystem::path& file, const std::string& index) {
    const std::int64_t rootPage = rootPageOf(file, "index", index);
    std::vector<unsigned char> bytes = bytesOf(file);
    // An index leaf page starts with the flag 0x0A, its cell count at offset 3 and its cell pointers
    // at offset 8. A cell is the payload size (a varint) and the payload: a record whose header (its
    // size, then one serial type per value) ends with the row id's type, 1 for a one-byte integer,
    // and whose body ends with the row id.
    const std::size_t pageSize = bytes.at(16) << 8 | bytes.at(17);
    const std::size_t page = (rootPage - 1) * (pageSize == 1 ? 65536 : pageSize);
    if (bytes.at(page) != 0x0A)
        throw std::runtime_error(index + " does not fit on one leaf page");
    const int cells = bytes.at(page + 3) << 8 | bytes.at(page + 4);
    for (int i = 0; i < cells; ++i) {
        std::size_t cell = page + (bytes.at(page + 8 + 2 * i) << 8 | bytes.at(page + 9 + 2 * i));
        std::size_t payload = 0;
        while (bytes.at(cell) & 0x80)
            payload = payload << 7 | (bytes.at(cell++) & 0x7F);
        payload = payload << 7 | bytes.at(cell++);
        const std::size_t headerSize = bytes.at(cell); // one byte for the few values of an index
        unsigned char& rowId = bytes.at(cell + payload - 1);
        if (bytes.at(cell + headerSize - 1) != 1 || (rowId & 0x80))
            continue;
        rowId ^= 0x40;
        rewrite(file, bytes);
        return;
    }
    throw std::runtime_error(index + " has no entry with a one-byte row id");
}

void repeatRowIdOnDisk(const std::filesystem::path& file, const std::string& table, int cell) {
    const std::int64_t rootPage = rootPageOf(file, "table", table);
    std::vector<unsigned char> bytes = bytesOf(file);
    // The file format: the page size at offset 16 (big-endian, 1 for 65536); page 1 starts with the
    // 100-byte file header; a table leaf page starts with the flag 0x0D, its cell count at offset 3
    // and its cell pointer array (two bytes each, in key order) at offset 8. A cell starts with the
    // payload size and the row id, each a varint (one byte when below 128).
    const std::size_t pageSize = bytes.at(16) << 8 | bytes.at(17);
    const std::size_t page = (rootPage - 1) * (pageSize == 1 ? 65536 : pageSize);
    const std::size_t header = page + (rootPage == 1 ? 100 : 0);
    if (bytes.at(header) != 0x0D)
        throw std::runtime_error(table + " does not fit on one leaf page");
    const int cells = bytes.at(header + 3) << 8 | bytes.at(header + 4);
    if (cell < 1 || cell >= cells)
        throw std::runtime_error("no such cell");
    auto rowIdAt = [&](int index) -> unsigned char& {
        const std::size_t pointer = header + 8 + 2 * static_cast<std::size_t>(index);
        std::size_t offset = page + (bytes.at(pointer) << 8 | bytes.at(pointer + 1));
        while (bytes.at(offset) & 0x80) // the payload size
            ++offset;
        unsigned char& rowId = bytes.at(offset + 1);
        if (rowId & 0x80)
            throw std::runtime_error("row ids past 127");
        return rowId;
    };
    rowIdAt(cell) = rowIdAt(cell - 1);
    rewrite(file, bytes);
}

} // namespace velmora::testing
