#include "support/JetSamples.h"

#include <QCryptographicHash>
#include <QFile>
#include <fstream>
#include <stdexcept>

namespace velmora::testing {

namespace fs = std::filesystem;

std::optional<fs::path> jetSample(const std::string& name) {
    const fs::path file = fs::path(VELMORA_SHARED_DIR) / "jet" / name;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        return std::nullopt;
    return file;
}

fs::path readerProgram() {
    return fs::path(VELMORA_BINARY_DIR) / "velmora-jet-reader";
}

std::string checksum(const fs::path& file) {
    QFile in(QString::fromStdString(file.string()));
    if (!in.open(QIODevice::ReadOnly))
        return "unreadable";
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&in);
    return hash.result().toHex().toStdString();
}

std::set<std::string> folderListing(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

void copyWritable(const fs::path& from, const fs::path& to) {
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
}

void truncateFile(const fs::path& file, std::uintmax_t size) {
    fs::resize_file(file, size);
}

void invertBytes(const fs::path& file, std::uintmax_t offset, std::size_t count) {
    std::fstream io(file, std::ios::in | std::ios::out | std::ios::binary);
    std::string bytes(count, '\0');
    io.seekg(static_cast<std::streamoff>(offset));
    io.read(bytes.data(), static_cast<std::streamsize>(count));
    for (char& byte : bytes)
        byte = static_cast<char>(~byte);
    io.seekp(static_cast<std::streamoff>(offset));
    io.write(bytes.data(), static_cast<std::streamsize>(count));
    if (!io)
        throw std::runtime_error("cannot damage " + file.string());
}

fs::path scriptReader(const fs::path& dir, const std::string& body) {
    static int counter = 0;
    const fs::path script = dir / ("reader-" + std::to_string(++counter) + ".sh");
    std::ofstream(script) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(script, fs::perms::owner_all);
    return script;
}

fs::path fakeReader(const fs::path& dir, const std::string& stream) {
    static int counter = 0;
    const fs::path output = dir / ("reader-output-" + std::to_string(++counter) + ".bin");
    std::ofstream(output, std::ios::binary) << stream;
    return scriptReader(dir, "exec cat '" + output.string() + "'");
}

jet::JetSchema jetCheckDatabaseSchema() {
    using jet::JetType;
    jet::JetTable account{"ACCOUNT", 0, {}};
    account.columns.push_back({"ID", JetType::Long, 4, true});
    for (const char* name :
         {"BusinessName", "FirstName", "LastName", "Address",      "City",    "State",    "Zip",
          "Phone",        "PayTo",     "Date",     "For",          "Bank",    "BankCity", "BankState",
          "ABA",          "Account",   "Print",    "BusinessType", "Printed", "LPrinted"})
        account.columns.push_back({name, JetType::Text, 255});
    account.columns.push_back({"Amount", JetType::Currency, 8});
    account.columns.push_back({"check", JetType::Long, 4});
    account.columns.push_back({"Comments", JetType::Memo, 0});
    account.columns.push_back({"labelprint", JetType::YesNo, 1});
    account.columns.push_back({"Fax", JetType::Text, 24});
    jet::JetTable properties{"Properties",
                             1,
                             {{"AccountType", JetType::Text, 10},
                              {"Description", JetType::Text, 50},
                              {"LastCheck", JetType::Long, 4}}};
    jet::JetTable log{"Log", 12, {{"Entry", JetType::Memo, 0}}};
    return {3, {account, properties, log}};
}

jet::JetSchema jetSettingsSchema() {
    using jet::JetType;
    jet::JetTable properties{"Properties", 1, {}};
    properties.columns.push_back({"1", JetType::Text, 10});
    properties.columns.push_back({"5", JetType::Integer, 2});
    properties.columns.push_back({"AlignStart", JetType::Long, 4});
    for (const char* flag : {"6", "QuickenCheckStock", "Print2Checks", "PlainPaper"})
        properties.columns.push_back({flag, JetType::YesNo, 1});
    for (const char* line : {"HelpAboutLine1", "HelpAboutLine2", "HelpAboutLine3"})
        properties.columns.push_back({line, JetType::Text, 255});
    return {3,
            {properties,
             {"A", 1, {{"ENTER", JetType::Text, 20}}},
             {"BusinessType", 3, {{"ID", JetType::Long, 4, true}, {"BusinessType", JetType::Text, 50}}}}};
}

std::string readerOutput(jet::JetSchema schema, const jet::ConversionPlan& plan, const JetRows& rows) {
    for (auto& table : schema.tables)
        table.rowCount = rows.count(table.name) ? rows.at(table.name).size() : 0;
    jet::protocol::Encoder out;
    out.magic();
    out.schema(schema);
    for (const jet::TablePlan& table : plan.tables) {
        const jet::JetTable& source = schema.tables[table.source];
        out.tableStart(table.source);
        for (const auto& row : rows.at(source.name)) {
            std::vector<db::Value> values;
            for (const jet::ColumnPlan& column : table.columns) {
                const auto found = row.find(source.columns[column.source].name);
                values.push_back(found == row.end() ? db::Value() : found->second);
            }
            out.row(values);
        }
        out.tableEnd(source.rowCount);
    }
    out.end();
    return out.take();
}

} // namespace velmora::testing
