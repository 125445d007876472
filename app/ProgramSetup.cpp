#include "app/ProgramSetup.h"

#include "db/ErrorText.h"
#include "db/Postgres.h"

namespace velmora::app {

namespace setting = db::setting;

Result<ProgramSetup> ProgramSetup::open(const std::filesystem::path& programDir) {
    auto store = SettingsStore::open(programDir);
    if (!store)
        return store.status();
    Result<db::SettingsRecord> settings = store->read();
    if (!settings)
        return settings.status();
    ProgramSetup setup(std::move(store.value()));
    setup.settings_ = std::move(settings.value());
    if (Status opened = setup.guarded([&] {
            setup.types_ =
                std::make_unique<db::RecordSet>(setup.store_.connection(), db::schema::businessTypes());
        });
        !opened)
        return opened;
    return setup;
}

template <typename Step> Status ProgramSetup::guarded(Step&& step) {
    try {
        step();
        readCurrent();
    } catch (const db::Error& error) {
        // A name or a new row that could not be stored is dropped from the set; the screen keeps the
        // typed name, and the next command tries it again.
        if (types_ && types_->editing())
            types_->cancelUpdate();
        return Status::failure(db::userMessage(error));
    }
    return {};
}

void ProgramSetup::readCurrent() {
    if (types_->hasCurrent())
        current_ = db::schema::businessTypes().read(*types_);
    else
        current_.reset();
}

Status ProgramSetup::storeProductType(std::string_view typed) {
    if (!current_ || current_->name.value_or(std::string()) == typed)
        return {}; // a new, untouched product type stays as it was added
    return guarded([&] {
        db::ProductTypeRecord named = *current_;
        named.name = std::string(typed);
        types_->edit();
        db::schema::businessTypes().write(*types_, named, {setting::kProductType});
        // The screen is the only writer of the product types: the name typed here is the one kept.
        types_->update(db::RecordSet::OnConflict::KeepMine);
    });
}

Status ProgramSetup::move(Move to, std::string_view typed) {
    if (Status stored = storeProductType(typed); !stored)
        return stored;
    return guarded([&] {
        switch (to) {
        case Move::First:
            types_->moveFirst();
            break;
        case Move::Last:
            types_->moveLast();
            break;
        case Move::Next:
            types_->moveNext();
            if (types_->eof())
                types_->moveLast();
            break;
        case Move::Previous:
            types_->movePrevious();
            if (types_->bof())
                types_->moveFirst();
            break;
        }
    });
}

Status ProgramSetup::addProductType(std::string_view typed) {
    if (Status stored = storeProductType(typed); !stored)
        return stored;
    return guarded([&] {
        types_->addNew();
        types_->update();
        types_->moveLast();
    });
}

bool ProgramSetup::canDeleteCurrent() const {
    return current_ && current_->id != 1;
}

Status ProgramSetup::deleteCurrent() {
    if (!canDeleteCurrent())
        return Status::failure("The first product type cannot be deleted.");
    return guarded([&] {
        types_->deleteCurrent();
        types_->requery();
    });
}

Status ProgramSetup::storeOptions(const Options& chosen) {
    if (!chosen.server.empty()) {
        if (Status usable = db::checkServerAddress(chosen.server); !usable)
            return usable;
    }
    db::SettingsRecord options = settings_;
    if (!chosen.tranCode.empty() || options.tranCode) // a tran code never given stays Null
        options.tranCode = chosen.tranCode;
    options.backupOnExit = chosen.backupOnExit;
    options.amountInWords = chosen.amountInWords;
    options.amountWithCents = chosen.amountWithCents;
    if (!chosen.server.empty() || options.databaseServer) // a server never named stays Null
        options.databaseServer = chosen.server.name;
    options.serverRequiresTls = chosen.server.requireTls;
    if (Status stored = store_.write(options, {setting::kTranCode, setting::kBackupOnExit,
                                               setting::kAmountInWords, setting::kAmountWithCents,
                                               setting::kDatabaseServer, setting::kServerRequiresTls});
        !stored)
        return stored;
    settings_ = std::move(options);
    return {};
}

} // namespace velmora::app
