#include "app/Settings.h"

#include "app/Password.h"
#include "db/DatabaseFiles.h"
#include "db/ErrorText.h"
#include "db/RecordSet.h"
#include "db/Schema.h"
#include "jet/JetHeader.h"

namespace velmora {

namespace {
// clang-format off
constexpr const char* kAccessFile = " is an Access (Jet) file and must be converted before it can be used: start the program, which offers the conversion, or run velmora convert ";
// clang-format on
} // namespace

Result<SettingsStore> SettingsStore::open(const std::filesystem::path& programDir) {
    const auto file = programDir / kSettingsFileName;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return Result<SettingsStore>::failure("The settings file " + file.string() + " is missing.");
    try {
        auto connection = std::make_unique<db::Connection>(file, db::OpenMode::ReadWrite);
        connection->requireIntact();
        const db::TableDef* tables[] = {&db::schema::settings(), &db::schema::password(),
                                        &db::schema::businessTypes()};
        if (Status status = db::schema::verifyAndUpgrade(*connection, tables); !status)
            return Result<SettingsStore>::failure("The settings file cannot be used. " + status.message());
        return SettingsStore(std::move(connection));
    } catch (const db::Error& error) {
        if (jet::isJetFile(file))
            return Result<SettingsStore>::failure("The settings file " + file.string() + kAccessFile +
                                                  kSettingsFileName + ".");
        if (auto problem = db::fileProblem(error))
            return Result<SettingsStore>::failure(*problem);
        return Result<SettingsStore>::failure("The settings file " + file.string() +
                                              " cannot be opened: " + error.what());
    }
}

SettingsRecord SettingsStore::read() {
    db::RecordSet record(*connection_, db::schema::settings());
    SettingsRecord settings;
    if (!record.hasCurrent())
        throw db::Error(std::string(kSettingsFileName) + " holds no settings record.");
    auto flag = [&](const char* name) -> std::optional<bool> {
        const db::Value value = record.field(name);
        if (value.isNull())
            return std::nullopt;
        return value.yes();
    };
    settings.tranCode = record.field(setting::kTranCode).text();
    settings.horizontalStart = record.field(setting::kHorizontalStart).integer();
    settings.verticalStart = record.field(setting::kVerticalStart).integer();
    settings.backupOnExit = record.field(setting::kBackupOnExit).yes();
    settings.quickenCheckStock = flag(setting::kQuickenCheckStock);
    settings.print2Checks = flag(setting::kPrint2Checks);
    settings.plainPaper = flag(setting::kPlainPaper);
    for (std::size_t i = 0; i < settings.aboutLines.size(); ++i)
        settings.aboutLines[i] = record.field(setting::kAboutLines[i]).textOrEmpty();
    settings.printer = record.field(setting::kPrinter).text();
    if (settings.printer && settings.printer->empty())
        settings.printer.reset();
    return settings;
}

Status SettingsStore::savePrinter(const std::optional<std::string>& printer) {
    try {
        db::RecordSet record(*connection_, db::schema::settings());
        if (!record.hasCurrent())
            return Status::failure(std::string(kSettingsFileName) + " holds no settings record.");
        record.edit();
        record.setField(setting::kPrinter, printer && !printer->empty() ? db::Value(*printer) : db::Value());
        record.update();
    } catch (const db::Error& error) {
        return Status::failure("The printer could not be remembered in " + std::string(kSettingsFileName) +
                               ": " + error.what());
    }
    return {};
}

Status SettingsStore::writeDelivered(const std::filesystem::path& file) {
    const auto temporary = file.parent_path() / kSettingsTemporaryName;
    db::removeWithJournals(temporary);
    try {
        {
            db::Connection db(temporary, db::OpenMode::Create);
            db::schema::createSettingsTables(db);
            db::Transaction transaction(db);
            db::RecordSet settings(db, db::schema::settings());
            settings.addNew();
            settings.setField(setting::kTranCode, "");
            settings.setField(setting::kHorizontalStart, 525);
            settings.setField(setting::kVerticalStart, 200);
            settings.setField(setting::kBackupOnExit, false);
            settings.setField(setting::kQuickenCheckStock, true);
            settings.setField(setting::kPrint2Checks, false);
            settings.setField(setting::kPlainPaper, false);
            settings.setField(setting::kAboutLines[0], "Velmora check and draft printing");
            settings.setField(setting::kAboutLines[1], "Prints checks, drafts, labels and blank stock");
            settings.setField(setting::kAboutLines[2], "with an E-13B MICR line.");
            settings.update();

            db::RecordSet password(db, db::schema::password());
            password.addNew();
            password.setField("ENTER", hashPassword("tulip"));
            password.update();

            db::RecordSet types(db, db::schema::businessTypes());
            for (const char* type : {"Checks", "Drafts", "Payroll", "Rent", "Utilities"}) {
                types.addNew();
                types.setField("BusinessType", type);
                types.update();
            }
            transaction.commit();
        }
    } catch (const db::Error& error) {
        db::removeWithJournals(temporary);
        return Status::failure(db::userMessage(error, file));
    } catch (const std::exception& error) { // no memory to hash the password
        db::removeWithJournals(temporary);
        return Status::failure(error.what());
    }
    std::error_code ec;
    std::filesystem::rename(temporary, file, ec);
    if (ec) {
        db::removeWithJournals(temporary);
        return Status::failure(db::userMessage(ec, file));
    }
    return {};
}

} // namespace velmora
