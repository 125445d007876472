#include "jet/JetFile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <mdbtools.h>
#include <stdexcept>

namespace velmora::jet {

namespace {

struct HandleCloser {
    void operator()(MdbHandle* handle) const { mdb_close(handle); }
};
using HandlePtr = std::unique_ptr<MdbHandle, HandleCloser>;

struct TableFreer {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using TablePtr = std::unique_ptr<MdbTableDef, TableFreer>;

struct GlibFreer {
    void operator()(char* text) const { g_free(text); }
};
using GlibText = std::unique_ptr<char, GlibFreer>;

// A row or definition that the file cannot hold; its message is the detail after "is damaged: ".
class Damaged : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Row offsets on a data page carry flags in their top bits.
constexpr int kRowOffsetMask = 0x1fff;
// The length word of a memo value; the top two bits say where the text lies.
constexpr std::uint32_t kMemoLengthMask = 0x3fffffff;
// A text longer than this is taken for a damaged length rather than read.
constexpr std::uint32_t kMaxMemoBytes = 64u * 1024u * 1024u;
constexpr std::uint32_t kMemoInline = 0x80000000;
constexpr int kMemoHeaderBytes = 12;
// A Jet 4 text may open with a two-byte mark of compression and hold nothing more.
constexpr std::uint32_t kMemoEmptyBytes = 2;

std::uint64_t littleEndian(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

MdbColumn* columnAt(MdbTableDef* table, std::size_t index) {
    return static_cast<MdbColumn*>(g_ptr_array_index(table->columns, static_cast<guint>(index)));
}

// Reads one table's definition and columns.
TablePtr loadTable(MdbCatalogEntry* entry) {
    TablePtr table(mdb_read_table(entry));
    if (!table)
        throw Damaged(std::string("the definition of the table ") + entry->object_name + " cannot be read");
    if (!mdb_read_columns(table.get()) || table->num_cols != table->columns->len ||
        table->num_cols > MDB_MAX_COLS)
        throw Damaged(std::string("the columns of the table ") + entry->object_name + " cannot be read");
    return table;
}

JetColumn describe(const MdbColumn& column) {
    JetColumn result;
    result.name = column.name;
    result.type = static_cast<JetType>(column.col_type);
    result.size = column.col_size;
    result.autoNumber = column.is_long_auto != 0;
    result.precision = column.col_prec;
    result.scale = column.col_scale;
    return result;
}

// Decodes the fields of the row that mdb_fetch_row has just made current. libmdb's own conversion
// to text cannot tell a Null from an empty text, so the row is cracked again here and each value
// taken from its bytes, checked against the bounds of the page it lies on.
class RowDecoder {
public:
    RowDecoder(MdbHandle* mdb, MdbTableDef* table, std::uint64_t pageCount)
        : mdb_(mdb)
        , table_(table)
        , pageCount_(pageCount)
        , defaultBindSize_(mdb->bind_size) {}

    void crackCurrentRow() {
        int start = 0;
        std::size_t length = 0;
        if (table_->cur_row == 0 ||
            mdb_find_row(mdb_, static_cast<int>(table_->cur_row) - 1, &start, &length) != 0)
            throw Damaged(std::string("a row of the table ") + table_->name + " cannot be located");
        start &= kRowOffsetMask;
        if (start + static_cast<long>(length) > pageSize())
            throw Damaged(std::string("a row of the table ") + table_->name +
                          " runs past the end of its page");
        if (mdb_crack_row(table_, start, length, fields_.data()) < 0)
            throw Damaged(std::string("a row of the table ") + table_->name + " cannot be decoded");
    }

    db::Value value(std::size_t index) {
        const MdbField& field = fields_[index];
        const MdbColumn& column = *columnAt(table_, index);
        // A Yes/No value is the row's null bit itself: set is Yes.
        if (column.col_type == MDB_BOOL)
            return db::Value(field.is_null == 0);
        if (field.is_null)
            return {};
        if (field.start < 0 || field.siz < 0 || field.start + field.siz > pageSize())
            throw fault(column, "lies outside its page");
        const unsigned char* bytes = mdb_->pg_buf + field.start;
        auto fixed = [&](int size) {
            if (field.siz < size)
                throw fault(column, "is shorter than its type");
            return littleEndian(bytes, size);
        };
        switch (column.col_type) {
        case MDB_BYTE:
            return db::Value(static_cast<std::int64_t>(fixed(1)));
        case MDB_INT:
            return db::Value(static_cast<std::int64_t>(static_cast<std::int16_t>(fixed(2))));
        case MDB_LONGINT:
            return db::Value(static_cast<std::int64_t>(static_cast<std::int32_t>(fixed(4))));
        case MDB_MONEY:
            return db::Value(static_cast<std::int64_t>(fixed(8)));
        case MDB_FLOAT:
            return db::Value(static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(fixed(4)))));
        case MDB_DOUBLE:
        case MDB_DATETIME:
            return db::Value(std::bit_cast<double>(fixed(8)));
        case MDB_TEXT:
            // An empty text that is not Null has no bytes at all; there is nothing to convert.
            if (field.siz == 0)
                return db::Value(std::string());
            return text(column, field, MDB_TEXT);
        case MDB_MEMO: {
            const auto word = static_cast<std::uint32_t>(fixed(4));
            const std::uint32_t length = word & kMemoLengthMask;
            if (field.siz < kMemoHeaderBytes || length > kMaxMemoBytes)
                throw fault(column, "has a length it cannot have");
            if (length == 0)
                return db::Value(std::string());
            // A text kept on pages of its own names the first of them; it must be in the file.
            if (!(word & kMemoInline) && littleEndian(bytes + 4, 4) >> 8 >= pageCount_)
                throw fault(column, "lies beyond the end of the file");
            // Room for every character at three bytes of UTF-8, so that nothing is cut off.
            const std::size_t needed = 3 * static_cast<std::size_t>(length) + 16;
            if (needed > mdb_->bind_size)
                mdb_set_bind_size(mdb_, needed);
            db::Value result = text(column, field, MDB_MEMO);
            mdb_set_bind_size(mdb_, defaultBindSize_);
            // The library gives an empty text for a memo whose pages it cannot follow.
            if (length > kMemoEmptyBytes && std::get<std::string>(result.data()).empty())
                throw fault(column, "cannot be followed to its pages");
            return result;
        }
        case MDB_REPID: {
            if (field.siz < 16)
                throw fault(column, "is shorter than its type");
            return GlibText(mdb_uuid_to_string(mdb_->pg_buf, field.start)).get();
        }
        case MDB_NUMERIC: {
            if (field.siz < 17)
                throw fault(column, "is shorter than its type");
            return GlibText(mdb_numeric_to_string(mdb_, field.start, column.col_scale, column.col_prec))
                .get();
        }
        default:
            throw fault(column, "is of a type that is not read");
        }
    }

private:
    long pageSize() const { return static_cast<long>(mdb_->fmt->pg_size); }

    Damaged fault(const MdbColumn& column, const char* what) const {
        return Damaged(std::string("a value of ") + column.name + " in the table " + table_->name + " " +
                       what);
    }

    db::Value text(const MdbColumn& column, const MdbField& field, int type) {
        GlibText converted(mdb_col_to_string(mdb_, mdb_->pg_buf, field.start, type, field.siz));
        if (!converted)
            throw fault(column, "cannot be read as text");
        std::string result(converted.get());
        if (result.size() + 1 >= mdb_->bind_size)
            throw fault(column, "is longer than its stated length");
        return db::Value(std::move(result));
    }

    MdbHandle* mdb_;
    MdbTableDef* table_;
    std::uint64_t pageCount_;
    std::size_t defaultBindSize_;
    std::array<MdbField, MDB_MAX_COLS> fields_{};
};

} // namespace

struct JetFile::Impl {
    std::string fileName;
    std::uint64_t pageCount = 0;
    HandlePtr handle;
    JetSchema schema;
    std::vector<MdbCatalogEntry*> entries; // parallel to schema.tables; owned by the handle's catalog
};

JetFile::JetFile(std::unique_ptr<Impl> impl)
    : impl_(std::move(impl)) {}
JetFile::~JetFile() = default;
JetFile::JetFile(JetFile&& other) noexcept = default;
JetFile& JetFile::operator=(JetFile&& other) noexcept = default;

const JetSchema& JetFile::schema() const {
    return impl_->schema;
}

Result<JetFile> JetFile::open(const std::filesystem::path& file) {
    auto impl = std::make_unique<Impl>();
    impl->fileName = file.filename().string();
    impl->handle.reset(mdb_open(file.c_str(), MDB_NOFLAGS));
    if (!impl->handle)
        return Result<JetFile>::failure(impl->fileName + " cannot be opened as an Access (Jet) database.");
    MdbHandle* mdb = impl->handle.get();
    switch (mdb->f->jet_version) {
    case MDB_VER_JET3:
        impl->schema.version = 3;
        break;
    case MDB_VER_JET4:
        impl->schema.version = 4;
        break;
    case MDB_VER_ACCDB_2007:
    case MDB_VER_ACCDB_2010:
    case MDB_VER_ACCDB_2013:
    case MDB_VER_ACCDB_2016:
    case MDB_VER_ACCDB_2019:
        impl->schema.version = 12; // ACE: Access 2007 and later, read as the 2007 format
        break;
    default:
        return Result<JetFile>::failure(impl->fileName + " is of an Access version that cannot be read.");
    }
    std::error_code ec;
    impl->pageCount = std::filesystem::file_size(file, ec) / static_cast<std::uint64_t>(mdb->fmt->pg_size);
    try {
        if (!mdb_read_catalog(mdb, MDB_TABLE))
            throw Damaged("its list of tables cannot be read");
        for (unsigned i = 0; i < mdb->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
            if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry))
                continue;
            TablePtr table = loadTable(entry);
            JetTable info;
            info.name = entry->object_name;
            info.rowCount = table->num_rows;
            for (std::size_t c = 0; c < table->num_cols; ++c)
                info.columns.push_back(describe(*columnAt(table.get(), c)));
            impl->schema.tables.push_back(std::move(info));
            impl->entries.push_back(entry);
        }
    } catch (const Damaged& damage) {
        return Result<JetFile>::failure(impl->fileName + " is damaged: " + damage.what() + ".");
    }
    return JetFile(std::move(impl));
}

Status JetFile::readRows(std::size_t tableIndex, std::span<const std::size_t> columns,
                         const RowHandler& row) {
    if (tableIndex >= impl_->entries.size())
        return Status::failure(impl_->fileName + " has no table number " + std::to_string(tableIndex) + ".");
    const JetTable& info = impl_->schema.tables[tableIndex];
    for (std::size_t column : columns) {
        if (column >= info.columns.size() || !isReadable(info.columns[column].type))
            return Status::failure("The column " + std::to_string(column) + " of the table " + info.name +
                                   " cannot be read.");
    }
    try {
        TablePtr table = loadTable(impl_->entries[tableIndex]);
        if (table->num_cols != info.columns.size())
            throw Damaged("the table " + info.name + " changed its columns while it was read");
        mdb_rewind_table(table.get());
        RowDecoder decoder(impl_->handle.get(), table.get(), impl_->pageCount);
        std::vector<db::Value> values(columns.size());
        while (mdb_fetch_row(table.get())) {
            decoder.crackCurrentRow();
            for (std::size_t i = 0; i < columns.size(); ++i)
                values[i] = decoder.value(columns[i]);
            if (!row(values))
                break;
        }
    } catch (const Damaged& damage) {
        return Status::failure(impl_->fileName + " is damaged: " + damage.what() + ".");
    }
    return {};
}

} // namespace velmora::jet
