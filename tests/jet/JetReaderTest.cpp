#include "db/Connection.h"
#include "db/JetHeader.h"
#include "jet/JetFile.h"
#include "jet/ReaderProtocol.h"
#include "jet/TypeMapping.h"
#include "support/JetSamples.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>

namespace velmora {
namespace {

using jet::JetType;
namespace fs = std::filesystem;

// The first rows of one table, the readable columns named.
std::vector<std::vector<db::Value>> firstRows(jet::JetFile& file, const std::string& table,
                                              const std::vector<std::string>& columns, std::size_t count) {
    const auto t = file.schema().findTable(table);
    if (!t)
        throw std::runtime_error("no table " + table);
    std::vector<std::size_t> indexes;
    for (const auto& name : columns)
        indexes.push_back(file.schema().tables[*t].findColumn(name).value());
    std::vector<std::vector<db::Value>> rows;
    const Status status = file.readRows(*t, indexes, [&](const std::vector<db::Value>& row) {
        rows.push_back(row);
        return rows.size() < count;
    });
    if (!status)
        throw std::runtime_error(status.message());
    return rows;
}

TEST(JetFileTest, DescribesTheUserTablesOfAJet3FileWithTheirTypesAndDeclaredRows) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    auto file = jet::JetFile::open(*nwind);
    ASSERT_TRUE(file) << file.message();
    const jet::JetSchema& schema = file->schema();
    EXPECT_EQ(schema.version, 3);
    std::vector<std::string> names;
    for (const auto& table : schema.tables)
        names.push_back(table.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"Order Details", "Orders", "Products", "Shippers", "Categories",
                                        "Customers", "Employees", "Suppliers", "Umsätze"}));

    const jet::JetTable& orders = schema.tables[*schema.findTable("ORDERS")];
    EXPECT_EQ(orders.rowCount, 830u);
    const auto& id = orders.columns[*orders.findColumn("orderid")];
    EXPECT_EQ(id.type, JetType::Long);
    EXPECT_TRUE(id.autoNumber);
    EXPECT_EQ(id.typeName(), "Counter");
    EXPECT_EQ(orders.columns[*orders.findColumn("Freight")].type, JetType::Currency);
    EXPECT_EQ(orders.columns[*orders.findColumn("OrderDate")].type, JetType::DateTime);
    const auto& customer = orders.columns[*orders.findColumn("CustomerID")];
    EXPECT_EQ(customer.type, JetType::Text);
    EXPECT_EQ(customer.size, 5);

    const jet::JetTable& employees = schema.tables[*schema.findTable("Employees")];
    EXPECT_EQ(employees.columns[*employees.findColumn("Notes")].type, JetType::Memo);
    EXPECT_FALSE(jet::isReadable(employees.columns[*employees.findColumn("Photo")].type));
    const jet::JetTable& products = schema.tables[*schema.findTable("Products")];
    EXPECT_EQ(products.columns[*products.findColumn("Discontinued")].type, JetType::YesNo);
    EXPECT_EQ(products.columns[*products.findColumn("UnitsInStock")].type, JetType::Integer);
}

TEST(JetFileTest, HandsOverValuesAsStoredWithNullsKept) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    auto file = jet::JetFile::open(*nwind);
    ASSERT_TRUE(file) << file.message();

    // Text, and a Null that is not an empty text.
    const auto customers = firstRows(*file, "Customers", {"CustomerID", "City", "Region", "PostalCode"}, 1);
    EXPECT_EQ(customers[0], (std::vector<db::Value>{"ALFKI", "Berlin", db::Value(), "12209"}));

    // Currency in ten-thousandths, exactly; Yes/No as 0 or 1; 16-bit Integer as a number.
    const auto products =
        firstRows(*file, "Products", {"ProductName", "UnitPrice", "UnitsInStock", "Discontinued"}, 5);
    EXPECT_EQ(products[0],
              (std::vector<db::Value>{"Chai", std::int64_t{180000}, std::int64_t{39}, std::int64_t{0}}));
    EXPECT_EQ(products[4][3], db::Value(std::int64_t{1})) << "Chef Anton's Gumbo Mix is discontinued";

    // Counter, Currency with cents, Date/Time as Jet's day count, text with a non-ASCII letter.
    const auto orders = firstRows(*file, "Orders", {"OrderID", "Freight", "OrderDate", "ShipAddress"}, 1);
    EXPECT_EQ(orders[0][0], db::Value(std::int64_t{10330}));
    EXPECT_EQ(orders[0][1], db::Value(std::int64_t{127500}));
    EXPECT_EQ(orders[0][2], db::Value(34654.0));
    EXPECT_EQ(orders[0][3], db::Value("Carrera 52 con Ave. Bolívar #65-98 Llano Largo"));

    // A memo past the row's own page, with quotes; a text with a line break.
    const auto employees = firstRows(*file, "Employees", {"Address", "Notes"}, 1);
    EXPECT_EQ(employees[0][0], db::Value("507 - 20th Ave. E.\r\nApt. 2A"));
    EXPECT_TRUE(employees[0][1].text()->starts_with("Education includes a BA in psychology"));
    EXPECT_NE(employees[0][1].text()->find("\"The Art of the Cold Call.\""), std::string::npos);

    // Every row of a table whose name is not ASCII.
    const auto umsaetze = file->schema().findTable("Umsätze");
    ASSERT_TRUE(umsaetze);
    std::size_t rows = 0;
    const std::size_t columns[] = {0};
    ASSERT_TRUE(file->readRows(*umsaetze, columns, [&](const auto&) { return ++rows, true; }));
    EXPECT_EQ(rows, 830u);
}

TEST(JetFileTest, ReadsAJet4FileWithMemosAndDatesFarFromToday) {
    VELMORA_REQUIRE_JET_SAMPLE(sample, "DateTestDatabase.mdb");
    auto file = jet::JetFile::open(*sample);
    ASSERT_TRUE(file) << file.message();
    EXPECT_EQ(file->schema().version, 4);
    const auto rows =
        firstRows(*file, "DateTest", {"IDCol", "DateTimeCol", "DateCol", "LongTextCol", "ShortTextCol"}, 6);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[5][3], db::Value("New line\r\nin field"));
    EXPECT_EQ(rows[4][3], db::Value("Escaped new line \\r\\n in field"));
    EXPECT_EQ(rows[1][4], db::Value("Year 1999"));

    // Jet counts days from 30 December 1899, backwards for earlier dates.
    auto date = [&](std::size_t row, std::size_t column) {
        return jet::dateTimeText(*std::get_if<double>(&rows[row][column].data())).value_or("out of range");
    };
    EXPECT_EQ(date(0, 1), "2021-12-02 00:00:00");
    EXPECT_EQ(date(1, 1), "9999-01-01 00:00:00");
    EXPECT_EQ(date(2, 1), "1898-01-01 00:00:00");
    EXPECT_EQ(date(2, 2), "1899-01-01 00:00:00");
    EXPECT_EQ(date(3, 1), "0632-01-01 00:00:00");
}

TEST(JetHeaderTest, TellsJetFromSqliteByTheirBytesNotTheirNames) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    testing::TempDir dir;
    db::Connection(dir / "Payroll.mdb", db::OpenMode::Create).exec("CREATE TABLE Account (ID INTEGER)");
    testing::copyWritable(*nwind, dir / "orders.dat");
    std::ofstream(dir / "notes.mdb") << "Standard Jet DB, or so it says";

    EXPECT_TRUE(db::isJetFile(dir / "orders.dat"));
    EXPECT_FALSE(db::isSqliteFile(dir / "orders.dat"));
    EXPECT_TRUE(db::isSqliteFile(dir / "Payroll.mdb"));
    EXPECT_FALSE(db::isJetFile(dir / "Payroll.mdb"));
    EXPECT_FALSE(db::isJetFile(dir / "notes.mdb"));
    EXPECT_FALSE(db::isSqliteFile(dir / "notes.mdb"));
    EXPECT_FALSE(db::isJetFile(dir / "missing.mdb"));

    const auto header = db::inspectJetFile(dir / "orders.dat");
    ASSERT_TRUE(header) << header.message();
    EXPECT_EQ(header->version, 3);
    EXPECT_EQ(header->pageSize, 2048u);
    const auto notJet = db::inspectJetFile(dir / "Payroll.mdb");
    EXPECT_EQ(notJet.message(), "Payroll.mdb is not an Access (Jet) database.");
}

TEST(ReaderProtocolTest, CarriesSchemaAndRowsAndRefusesCutOrOversizedStreams) {
    class Bytes : public jet::protocol::ByteSource {
    public:
        explicit Bytes(std::string bytes)
            : bytes_(std::move(bytes)) {}
        std::size_t read(char* into, std::size_t most) override {
            const std::size_t n = std::min(most, bytes_.size() - position_);
            std::copy_n(bytes_.data() + position_, n, into);
            position_ += n;
            return n;
        }

    private:
        std::string bytes_;
        std::size_t position_ = 0;
    };
    jet::JetSchema schema;
    schema.version = 4;
    schema.tables.push_back({"Account", 2, {{"ID", JetType::Long, 4, true}, {"PayTo", JetType::Text, 100}}});
    const std::vector<db::Value> row{std::int64_t{-7}, "Grünwald \"& Söhne\""}, nulls{db::Value(), ""};
    jet::protocol::Encoder encoder;
    encoder.magic();
    encoder.schema(schema);
    encoder.tableStart(0);
    encoder.row(row);
    encoder.row(nulls);
    encoder.tableEnd(2);
    const std::string stream = encoder.take();

    // Reads the stream as the program does; returns the rows.
    auto decode = [](const std::string& bytes) {
        Bytes source(bytes);
        jet::protocol::Decoder decoder(source);
        decoder.magic();
        if (decoder.tag() != jet::protocol::Tag::Schema)
            throw std::runtime_error("no schema");
        const jet::JetSchema received = decoder.schema();
        EXPECT_EQ(received.tables.at(0).columns.at(1).name, "PayTo");
        EXPECT_TRUE(received.tables.at(0).columns.at(0).autoNumber);
        EXPECT_EQ(decoder.tag(), jet::protocol::Tag::Table);
        EXPECT_EQ(decoder.tableStart(), 0u);
        std::vector<std::vector<db::Value>> rows;
        while (decoder.tag() == jet::protocol::Tag::Row)
            decoder.row(2, rows.emplace_back());
        EXPECT_EQ(decoder.tableEnd(), 2u);
        return rows;
    };
    EXPECT_EQ(decode(stream), (std::vector<std::vector<db::Value>>{row, nulls}))
        << "Null and the empty text arrive apart";
    EXPECT_THROW(decode(stream.substr(0, stream.size() - 12)), jet::protocol::ProtocolError);

    std::string huge = std::string(jet::protocol::kMagic) + "S\x04\xff\xff\xff\xff";
    Bytes oversized(huge);
    jet::protocol::Decoder oversizedDecoder(oversized);
    oversizedDecoder.magic();
    oversizedDecoder.tag();
    EXPECT_THROW(oversizedDecoder.schema(), jet::protocol::ProtocolError);
}

} // namespace
} // namespace velmora
