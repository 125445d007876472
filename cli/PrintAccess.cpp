#include "cli/PrintAccess.h"

#include "app/Password.h"
#include "app/ProgramDir.h"
#include "cli/PrintCommand.h"
#include "cli/Terminal.h"
#include "print/PdfSurface.h"
#include "print/printer/PrinterSurface.h"

#include <QPrinterInfo>
#include <iostream>

namespace velmora::cli {

namespace fs = std::filesystem;

PrintAccess::PrintAccess(std::string verb, const Invocation& invocation)
    : verb_(std::move(verb))
    , programDir_(invocation.programDir.value_or(app::defaultProgramDir())) {}

int PrintAccess::fail(int status, const std::string& message) const {
    std::cerr << "velmora " << verb_ << ": " << message << "\n";
    return status;
}

int PrintAccess::openSettings(bool checkPassword, const std::optional<fs::path>& passwordFile) {
    auto settings = app::SettingsStore::open(programDir_);
    if (!settings)
        return fail(kNoSettings, settings.message());
    settings_.emplace(std::move(settings.value()));
    if (!checkPassword)
        return kPrinted;
    std::string why;
    const std::optional<std::string> typed = passwordFile ? readPasswordFile(passwordFile->string(), why)
                                                          : askPasswordOnTerminal("Velmora password: ");
    if (!typed)
        return fail(kNotAllowed,
                    passwordFile ? "cannot read the password from " + passwordFile->string() + ": " + why
                                 : std::string("no terminal to ask for the password; use --password-file"));
    const Result<app::PasswordCheck> check = app::checkPassword(settings_->connection(), *typed);
    if (!check)
        return fail(kNoSettings, check.message());
    if (check.value() != app::PasswordCheck::Matches)
        return fail(kNotAllowed, "wrong password");
    return kPrinted;
}

int PrintAccess::openDatabase(const std::string& name) {
    databaseFile_ = fs::path(name).has_parent_path() ? fs::path(name) : programDir_ / name;
    auto database = db::CheckDatabase::open(databaseFile_);
    if (!database)
        return fail(kNoDatabase, database.message());
    database_.emplace(std::move(database.value()));
    return kPrinted;
}

int PrintAccess::chooseOutput(const std::optional<fs::path>& pdf, const std::optional<std::string>& printer) {
    if (pdf) {
        output_ = std::make_unique<print::PdfSurface>(pdf->string());
        return kPrinted;
    }
    if (!QPrinterInfo::availablePrinterNames().contains(QString::fromStdString(*printer)))
        return fail(kOutputUnwritable, "there is no printer queue named " + *printer);
    auto queue = std::make_unique<print::PrinterSurface>();
    queue->printer().setPrinterName(QString::fromStdString(*printer));
    output_ = std::move(queue);
    return kPrinted;
}

} // namespace velmora::cli
