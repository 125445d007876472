#pragma once

#include "base/Result.h"
#include "db/Value.h"
#include "jet/JetSchema.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace velmora::jet {

// A Jet file read through libmdb (mdbtools). The library trusts the structure of the file it reads,
// so a damaged file can make it crash or loop; the program therefore uses this class only inside the
// reader process (velmora-jet-reader), never in its own.
class JetFile {
public:
    // The message of a failure names the file.
    static Result<JetFile> open(const std::filesystem::path& file);
    ~JetFile();
    JetFile(JetFile&& other) noexcept;
    JetFile& operator=(JetFile&& other) noexcept;

    const JetSchema& schema() const;

    // Reads the rows of one table in stored order: for each row, the values of `columns` (indexes
    // into the table's columns, each of a readable type) in that order, typed as JetSchema.h says.
    // `row` returns false to stop early. Fails, naming the table, on a row the file cannot hold.
    using RowHandler = std::function<bool(const std::vector<db::Value>& row)>;
    Status readRows(std::size_t table, std::span<const std::size_t> columns, const RowHandler& row);

private:
    struct Impl;
    explicit JetFile(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace velmora::jet
