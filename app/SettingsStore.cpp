#include "app/SettingsStore.h"

#include "app/Password.h"
#include "db/DatabaseFiles.h"
#include "db/ErrorText.h"
#include "db/JetHeader.h"
#include "db/RecordSet.h"
#include "db/SoundFiles.h"

namespace velmora::app {

namespace {
// clang-format off
constexpr const char* kAccessFile = " is an Access (Jet) file and must be converted before it can be used: start the program, which offers the conversion, or run velmora convert ";
// clang-format on
} // namespace

Result<SettingsStore> SettingsStore::open(const std::filesystem::path& programDir) {
    const auto file = programDir / kSettingsFileName;
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec))
        return Result<SettingsStore>::failure(
            "The settings file " + file.string() +
            " is a folder, not a file. Move the folder away and restore PC.OVL from your backup.");
    if (!std::filesystem::is_regular_file(file, ec))
        return Result<SettingsStore>::failure("The settings file " + file.string() + " is missing.");
    try {
        auto connection = std::make_unique<db::Connection>(file, db::OpenMode::ReadWrite);
        (void)db::requireSound(*connection, db::SoundFiles::forThisUser());
        const db::TableDef* tables[] = {&db::schema::settings(), &db::schema::password(),
                                        &db::schema::businessTypes()};
        if (Status status = db::schema::verifyAndUpgrade(*connection, tables); !status)
            return Result<SettingsStore>::failure("The settings file cannot be used. " + status.message());
        return SettingsStore(std::move(connection));
    } catch (const db::Error& error) {
        if (db::isJetFile(file))
            return Result<SettingsStore>::failure("The settings file " + file.string() + kAccessFile +
                                                  kSettingsFileName + ".");
        if (auto problem = db::fileProblem(error))
            return Result<SettingsStore>::failure(*problem);
        return Result<SettingsStore>::failure("The settings file " + file.string() +
                                              " cannot be opened: " + error.what());
    }
}

Result<db::SettingsRecord> SettingsStore::read() {
    try {
        db::RecordSet record(*connection_, db::schema::settings());
        if (!record.hasCurrent())
            return Result<db::SettingsRecord>::failure(std::string(kSettingsFileName) +
                                                       " holds no settings record.");
        return db::schema::settings().read(record);
    } catch (const db::Error& error) {
        return Result<db::SettingsRecord>::failure(db::userMessage(error));
    }
}

Status SettingsStore::write(const db::SettingsRecord& record,
                            std::initializer_list<std::string_view> fields) {
    try {
        db::RecordSet stored(*connection_, db::schema::settings());
        stored.edit();
        db::schema::settings().write(stored, record, fields);
        stored.update();
    } catch (const db::Error& error) {
        return Status::failure(db::userMessage(error));
    }
    return {};
}

Result<std::vector<std::string>> SettingsStore::productTypes() {
    try {
        std::vector<std::string> types;
        for (db::RecordSet table(*connection_, db::schema::businessTypes()); table.hasCurrent();
             table.moveNext())
            types.push_back(table.field(db::setting::kProductType).textOrEmpty());
        return types;
    } catch (const db::Error& error) {
        return Result<std::vector<std::string>>::failure(db::userMessage(error));
    }
}

Status SettingsStore::writeDelivered(const std::filesystem::path& file) {
    // A settings file made meanwhile (by a second start) is never replaced: it may hold a password.
    Result<OutputFile> output = OutputFile::create(file, {WhenExisting::Refuse, {}});
    if (!output)
        return Status::failure(db::writeFailureMessage(output.message(), 0, file));
    try {
        db::Connection db(output->temporaryPath(), db::OpenMode::Create);
        db::schema::createSettingsTables(db);
        db::Transaction transaction(db);
        db::RecordSet settings(db, db::schema::settings());
        settings.addNew();
        for (const auto& field : db::schema::settings().rows())
            settings.setField(field.def.name, field.delivered);
        settings.update();

        db::RecordSet password(db, db::schema::password());
        password.addNew();
        const Result<std::string> hash = hashPassword(db::setting::kDeliveredPassword);
        if (!hash)
            throw std::runtime_error(hash.message());
        password.setField(db::setting::kPassword, *hash);
        password.update();

        const auto& typesTable = db::schema::businessTypes();
        db::RecordSet types(db, typesTable);
        for (const db::ProductTypeRecord& type : typesTable.deliveredRows()) {
            types.addNew();
            typesTable.write(types, type, {db::setting::kProductType});
            types.update();
        }
        transaction.commit();
    } catch (const db::Error& error) {
        return Status::failure(db::userMessage(error, file));
    } catch (const std::exception& error) { // no memory to hash the password
        return Status::failure(error.what());
    }
    if (!output->commit())
        return Status::failure(
            db::writeFailureMessage(output->failure().message(), output->errorNumber(), file));
    return {};
}

} // namespace velmora::app
