#include "DamagedFile.h"

#include "db/Sqlite.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace velmora::testing {

void repeatRowIdOnDisk(const std::filesystem::path& file, const std::string& table, int cell) {
    std::int64_t rootPage = 0;
    {
        db::Connection db(file, db::OpenMode::ReadOnly);
        db::Statement query(db, "SELECT rootpage FROM sqlite_master WHERE type = 'table' AND name = ?1");
        query.bind(1, table);
        if (!query.step())
            throw std::runtime_error("no table " + table);
        rootPage = query.columnInt(0);
    }
    std::vector<unsigned char> bytes;
    {
        std::ifstream in(file, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
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
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace velmora::testing
