#include "entry/CheckEntry.h"

#include "app/SettingsStore.h"
#include "base/Clock.h"
#include "db/CheckNumbering.h"
#include "db/CheckQueries.h"
#include "db/ErrorText.h"
#include "db/RegisterQueries.h"
#include "entry/MicrRules.h"
#include "entry/TypedValues.h"

#include <algorithm>

namespace velmora::entry {

namespace f = db::field;

namespace {

bool isEmptyText(const db::Value& value) {
    return value.textOrEmpty().empty();
}

// clang-format off
const char* const kChangedElsewhere = "This check was changed by another screen or program after it was shown here, and you changed the same fields: ";
const char* const kChangedElsewhereChoices = ".\n\nYes saves your values, No keeps the saved ones (your other changes are saved either way), Cancel saves nothing and stays on this check.";
// clang-format on

const char* const kVoidTitle = "Void a Check";
const char* const kVoidNumberPrompt =
    "Enter the number of the printed check to void. A void check is told to the bank as void with the next positive pay file, and its number is never used again.";
const char* const kVoidReasonPrompt =
    "\n\nWhy is it void? The reason is kept in the register and in the check's comments; you may leave it empty. Cancel voids nothing.";
const char* const kVoided = " is void in the register, and a history line was put in front of its comments.";

// "Check #1003 to Acme Supply for $12.50, printed on 12/6/2026, is to be voided."
std::string describeForVoid(const db::RegisterEntry& entry) {
    const std::optional<Date> printed = parseIsoDate(entry.printed);
    return "Check #" + std::to_string(entry.check) + (entry.payTo ? " to " + *entry.payTo : "") +
           (entry.amount ? " for $" + entry.amount->toGroupedText() : "") + ", printed on " +
           (printed ? formatDateText(*printed) : entry.printed) + ", is to be voided.";
}

std::string fieldList(const std::vector<std::string>& fields) {
    std::string list;
    for (const auto& name : fields)
        list += (list.empty() ? "" : ", ") + name;
    return list;
}

} // namespace

// Runs the steps of a command that goes on past a failing step, keeping the first failure.
class CheckEntry::SkipOnError {
public:
    template <typename Step> void operator()(Step&& step) {
        try {
            step();
        } catch (const db::Error& error) {
            if (!firstError_)
                firstError_ = db::userMessage(error);
        }
    }
    // A step that reports its failure instead of throwing it.
    void note(const Status& status) {
        if (!status && !firstError_)
            firstError_ = status.message();
    }
    const std::optional<std::string>& firstError() const { return firstError_; }

private:
    std::optional<std::string> firstError_;
};

CheckEntry::CheckEntry(Dialogs& dialogs, std::filesystem::path programDir)
    : dialogs_(dialogs)
    , programDir_(std::move(programDir)) {}

CheckEntry::~CheckEntry() = default;

void CheckEntry::report(const std::string& context, const std::string& error) {
    dialogs_.show({context + "\n\n" + error, {}, DialogButtons::Ok, DialogIcon::Critical});
}

template <typename Step> bool CheckEntry::guarded(const std::string& context, Step&& step) {
    try {
        step();
        return true;
    } catch (const db::Error& error) {
        report(context, db::userMessage(error));
        return false;
    }
}

bool CheckEntry::open(const DatabaseLocation& location) {
    close();
    const std::string& databaseName = location.name();
    auto opened = db::CheckDatabase::open(location);
    if (!opened) {
        dialogs_.show(
            {opened.message() + "\n\nChoose another database.", {}, DialogButtons::Ok, DialogIcon::Critical});
        return false;
    }
    databaseName_ = databaseName;
    database_.emplace(std::move(opened.value()));
    try {
        records_ = std::make_unique<db::RecordSet>(database_->connection(), db::schema::account());
    } catch (const db::Error& error) {
        dialogs_.show({databaseName + " cannot be opened as a check database.\n\n" + error.what() +
                           "\n\nChoose another database.",
                       {},
                       DialogButtons::Ok,
                       DialogIcon::Critical});
        close();
        return false;
    }

    SkipOnError steps;
    steps.note(reloadSettings());

    steps([&] { records_->moveFirst(); });
    steps([&] {
        if (records_->hasCurrent() && isEmptyText(records_->field(f::kBusinessName)) &&
            isEmptyText(records_->field(f::kFirstName)) && isEmptyText(records_->field(f::kPayTo)))
            dialogs_.show(
                {"Please fill in the fields of the first check before you use this account. The first check in each Database is used as a template when creating new checks. This will minimize the amount of typing you will have to do when you create a new check. To go to the first check choose File - Goto First Check from the menu.",
                 "Note"});
    });
    steps([&] {
        if (records_->hasCurrent() && isEmptyText(records_->field(f::kDate))) {
            records_->edit();
            records_->setField(f::kDate, formatDateText(Clock::today()));
            records_->update();
        }
    });
    steps.note(loadTemplate());
    steps([&] { records_->moveLast(); });
    refreshOptions();
    if (steps.firstError())
        report("Some of the database " + databaseName + " could not be read or updated.",
               *steps.firstError());
    return true;
}

Status CheckEntry::reloadSettings() {
    auto settings = app::SettingsStore::open(programDir_);
    if (!settings) {
        productTypes_ = {};
        amountInWords_ = false;
        return {};
    }
    const Result<db::SettingsRecord> record = settings->read();
    amountInWords_ = record && record->amountInWords;
    Result<std::vector<std::string>> types = settings->productTypes();
    if (!types)
        return types.status();
    productTypes_ = productTypeList(std::move(*types));
    return {};
}

void CheckEntry::close() {
    records_.reset();
    database_.reset();
    template_ = {};
    productTypes_ = {};
    amountInWords_ = false;
    options_ = {};
    title_ = "Data Entry: ";
    searchInForce_.clear();
}

Status CheckEntry::loadTemplate() {
    Result<TemplateValues> values = LoadTemplateValues(*database_);
    if (!values)
        return values.status();
    template_ = std::move(*values);
    title_ = entry::windowTitle(template_.properties);
    return {};
}

void CheckEntry::refreshOptions() {
    try {
        if (records_ && records_->hasCurrent() && !records_->editing())
            records_->edit();
        options_ = records_ ? ShowRecordOptions(*records_, template_.labelGreyed) : RecordOptions{};
    } catch (const db::Error&) {
        // The lists keep what they had; the record itself is reported by the command that moves on it.
        options_ = {};
    }
    reportDamage();
}

void CheckEntry::reportDamage() {
    if (!hasCurrent())
        return;
    try {
        (void)db::CheckRecord::read(*records_);
    } catch (const db::DamagedError& damage) {
        // Once per record: the boxes of the damaged fields stay empty until the user types a value.
        if (records_->currentId() != damageReported_) {
            damageReported_ = records_->currentId();
            dialogs_.show({damage.what(), {}, DialogButtons::Ok, DialogIcon::Critical});
        }
    } catch (const db::Error&) {
        // Reported by the command that reads the record.
    }
}

bool CheckEntry::save() {
    if (!hasCurrent() || !records_->editing())
        return true;
    try {
        records_->update();
    } catch (const db::ConflictError& conflict) {
        if (!resolveConflict(conflict))
            return false;
    } catch (const db::Error& error) {
        report("The check could not be saved.", db::userMessage(error));
        return false;
    }
    return guarded("The check could not be read again.", [&] { records_->edit(); });
}

// Another screen or program saved this check after it was shown here (a print run from the command
// line puts a history line in front of its comments). Changes to different fields are both kept;
// where both changed the same field the user chooses, and by default nothing is written, so
// neither change is lost without the user being asked.
bool CheckEntry::resolveConflict(const db::ConflictError& conflict) {
    try {
        std::vector<std::string> both;
        for (const auto& name : records_->changedFields()) {
            const auto& onDisk = conflict.changedOnDisk();
            if (std::find(onDisk.begin(), onDisk.end(), name) != onDisk.end())
                both.push_back(name);
        }
        if (!both.empty()) {
            const DialogAnswer answer = dialogs_.show(
                {kChangedElsewhere + fieldList(both) + kChangedElsewhereChoices, "Check changed elsewhere",
                 DialogButtons::YesNoCancel, DialogIcon::Exclamation, DialogAnswer::Cancel});
            if (answer != DialogAnswer::Yes && answer != DialogAnswer::No)
                return false;
            if (answer == DialogAnswer::No) {
                for (const auto& name : both)
                    records_->revertField(name);
            }
        }
        records_->update(db::RecordSet::OnConflict::KeepMine);
    } catch (const db::Error& error) {
        report("The check could not be saved.", db::userMessage(error));
        return false;
    }
    return true;
}

bool CheckEntry::addCheck(SkipOnError& steps) {
    steps([&] { records_->requery(); });
    steps.note(loadTemplate());
    std::optional<std::int64_t> lastNumber;
    steps([&] {
        records_->moveLast();
        if (records_->hasCurrent())
            lastNumber = records_->field(f::kCheck).integer();
    });
    std::int64_t number = db::nextCheckNumber(lastNumber, template_.properties.lastCheck);
    // A number that went out already on the account the new check is drawn on (the template's, in a
    // check database; a draft's account is typed later) is passed over.
    steps([&] {
        number = db::firstFreeNumber(records_->connection(), number,
                                     db::DrawnOn::of(template_.taken.aba, template_.taken.account));
    });
    bool added = false;
    steps([&] {
        records_->addNew();
        records_->setField(f::kPrint, db::print_option::kOnce);
        records_->setField(f::kDate, formatDateText(Clock::today()));
        records_->setField(f::kCheck, number);
        if (template_.type() == db::DatabaseType::Draft) {
            records_->setField(f::kPayTo, template_.taken.payTo.value_or(std::string()));
            records_->setField(f::kLabelPrint, template_.labelPrint);
        } else if (template_.type() == db::DatabaseType::Check) {
            for (std::string_view name : kHolderAndBankFields) {
                const auto& field = db::schema::account().row(name);
                if (const db::Value value = db::schema::account().value(template_.taken, field);
                    !value.isNull())
                    records_->setField(name, value);
            }
            records_->setField(f::kLabelPrint, false);
        }
        records_->update();
        added = true;
        records_->moveLast();
    });
    // A check that could not be added must not stay pending: every later save would try to add
    // it again, and the screen would be held on a record that does not exist.
    if (!added)
        records_->cancelUpdate();
    return added;
}

bool CheckEntry::newCheck() {
    if (!isOpen() || !save())
        return false;
    SkipOnError steps;
    bool committed = false;
    {
        // A file that another program holds locked cannot take a new check at all: say so and stop.
        std::optional<db::Transaction> transaction;
        if (!guarded("The new check could not be made.",
                     [&] { transaction.emplace(database_->connection()); }))
            return false;
        const bool added = addCheck(steps);
        steps([&] {
            transaction->commit();
            committed = added;
        });
    }
    refreshOptions();
    if (steps.firstError())
        report("The new check could not be made completely.", *steps.firstError());
    return committed;
}

bool CheckEntry::changeAsOne(bool newCheck, const std::function<bool()>& fill, const std::string& context) {
    if (!isOpen() || !save())
        return false;
    const std::optional<std::int64_t> shown = records_->currentId();
    std::optional<std::string> failure;
    bool saved = false;
    try {
        db::Transaction transaction(database_->connection());
        SkipOnError steps;
        if (newCheck && !addCheck(steps))
            failure = steps.firstError().value_or("The new check could not be added.");
        // Here a step that fails fails the whole: a check without its template values is not made.
        else if (steps.firstError())
            failure = steps.firstError();
        else if (!records_->hasCurrent())
            failure = "There is no check to fill.";
        if (!failure) {
            if (!records_->editing())
                records_->edit();
            if (fill()) {
                records_->update();
                transaction.commit();
                saved = true;
            }
        }
    } catch (const db::Error& error) {
        failure = db::userMessage(error);
    }
    if (!saved) {
        // Nothing was saved: the set forgets a check added and rolled back, and shows what it showed.
        records_->cancelUpdate();
        try {
            records_->requery();
            if (!shown || !records_->moveTo(*shown))
                records_->moveLast();
        } catch (const db::Error&) {
            // The set shows no check; the failure itself is reported below.
        }
    }
    refreshOptions();
    if (failure)
        report(context, *failure);
    return saved;
}

void CheckEntry::next() {
    move(true, "This is the last check in the account - choose NEW to create a new check.");
}

void CheckEntry::previous() {
    move(false, "This is the first check in the account.");
}

void CheckEntry::move(bool forward, const char* endMessage) {
    if (!isOpen() || !save())
        return;
    guarded("The check could not be shown.", [&] {
        forward ? records_->moveNext() : records_->movePrevious();
        if (forward ? records_->eof() : records_->bof()) {
            // Past the end: say so and step back onto the last (or first) record.
            dialogs_.inform(endMessage);
            forward ? records_->movePrevious() : records_->moveNext();
        }
    });
    refreshOptions();
}

void CheckEntry::gotoFirstCheck() {
    if (!isOpen() || !save())
        return;
    guarded("The first check could not be shown.", [&] {
        records_->moveFirst();
        if (!records_->hasCurrent())
            return;
        records_->edit();
        // Older databases keep a label flag of their own for the template; most have no such field.
        if (records_->hasField(f::kLabelPrintLegacy)) {
            if (const db::Value legacy = records_->field(f::kLabelPrintLegacy); !legacy.isNull())
                records_->setField(f::kLabelPrint, legacy.yes());
        }
    });
    refreshOptions();
}

void CheckEntry::deleteCheck() {
    if (!hasCurrent())
        return;
    if (records_->currentId() == 1) {
        dialogs_.inform(
            "You CANNOT delete the first check in an account database - it is used to setup default fields.");
        return;
    }
    if (!dialogs_.askYesNo("Do you really want to delete this check?", "WARNING", DialogIcon::Critical,
                           DialogAnswer::No))
        return;
    guarded("The check could not be deleted.", [&] {
        records_->cancelUpdate();
        records_->deleteCurrent();
        records_->movePrevious();
        // The first record of a filtered set has none before it: show the next one, or all checks
        // when the set is now empty.
        if (records_->bof())
            records_->moveNext();
        if (!records_->hasCurrent())
            records_->requery(std::nullopt);
    });
    refreshOptions();
}

void CheckEntry::setFilter(std::optional<db::Filter> filter) {
    if (!isOpen() || !save())
        return;
    searchInForce_.clear();
    guarded("The checks could not be selected.", [&] { records_->requery(std::move(filter)); });
    refreshOptions();
}

void CheckEntry::search(const SearchEntry& entry) {
    if (!entry.field) {
        setFilter(std::nullopt);
        return;
    }
    if (!isOpen() || !save())
        return;
    const std::string typed = dialogs_.input({entry.prompt, {}, {}}).value_or(std::string());
    bool found = false;
    const bool searched = guarded("The checks could not be searched.", [&] {
        records_->requery(db::fieldContains(records_->connection().dialect(), entry.field, typed));
        found = records_->hasCurrent();
    });
    if (!found) {
        if (searched)
            dialogs_.inform(kNoMatches);
        setFilter(std::nullopt);
        return;
    }
    searchInForce_ = "Only the checks with \"" + typed + "\" in their " + searchedName(entry) + " are shown.";
    refreshOptions();
}

db::Value CheckEntry::field(std::string_view name) const {
    if (!hasCurrent())
        return {};
    try {
        return records_->field(name);
    } catch (const db::Error&) {
        return {};
    }
}

Status CheckEntry::setFieldText(std::string_view name, std::string_view text) {
    if (!hasCurrent())
        return {};
    db::Value value;
    if (name == f::kAmount) {
        auto amount = parseAmountText(text);
        if (!amount)
            return amount.status();
        if (*amount)
            value = **amount;
    } else if (name == f::kCheck) {
        auto number = parseCheckNumberText(text);
        if (!number)
            return number.status();
        if (*number)
            value = **number;
    } else {
        value = std::string(text);
    }
    try {
        records_->setField(name, std::move(value));
    } catch (const db::Error& error) {
        return Status::failure(error.what());
    }
    return {};
}

void CheckEntry::setLabelPrint(bool yes) {
    if (!hasCurrent())
        return;
    guarded("The label flag could not be changed.", [&] { records_->setField(f::kLabelPrint, yes); });
    refreshOptions();
}

void CheckEntry::choosePrintOption(std::string_view shown) {
    const auto stored = printOptionStoredValue(shown);
    if (!hasCurrent() || !stored)
        return;
    try {
        records_->setField(f::kPrint, *stored);
        records_->update();
        records_->edit();
    } catch (const db::Error&) {
        // Choosing from the list reports nothing; the list shows the record as it stands.
    }
    refreshOptions();
}

void CheckEntry::chooseProductType(std::string_view productType) {
    if (!hasCurrent())
        return;
    try {
        records_->setField(f::kBusinessType, std::string(productType));
        records_->setField(f::kFor, std::string(productType));
        records_->update();
        records_->edit();
    } catch (const db::Error&) {
        // As with the print option list: nothing is reported.
    }
    refreshOptions();
}

std::string CheckEntry::routingWarning() const {
    return routingNumberWarning(field(f::kAba).textOrEmpty());
}

std::string CheckEntry::checkNumberWarning() const {
    const auto number = field(f::kCheck).integer();
    if (!number)
        return {};
    // A warning that cannot be looked up is not shown.
    try {
        const db::DrawnOn account = db::DrawnOn::of(field(f::kAba).text(), field(f::kAccount).text());
        if (const auto held = db::numberHeld(records_->connection(), *number, account, records_->currentId()))
            return db::describeHeld(*number, *held) + " Printed, this check would be refused.";
    } catch (const db::Error&) {
    }
    const Result<bool> repeated =
        db::otherCheckHasNumber(records_->connection(), *number, *records_->currentId());
    if (repeated && *repeated)
        return "Another check in this database has the number " + std::to_string(*number) + ".";
    return {};
}

void CheckEntry::readCurrentAgain() {
    if (!hasCurrent())
        return;
    guarded("The check could not be read again.", [&] {
        const std::optional<std::int64_t> current = records_->currentId();
        records_->cancelUpdate();
        if (current)
            records_->moveTo(*current);
    });
    refreshOptions();
}

bool CheckEntry::voidPrintedCheck() {
    if (!isOpen() || !save())
        return false;
    const std::string shown = hasCurrent() ? field(f::kCheck).textOrEmpty() : std::string();
    const std::optional<std::string> typed = dialogs_.input({kVoidNumberPrompt, kVoidTitle, shown});
    if (!typed)
        return false;
    const Result<std::optional<std::int64_t>> parsed = parseCheckNumberText(*typed);
    if (!parsed || !*parsed) {
        dialogs_.show(
            {parsed ? std::string("No check number was given: nothing was voided.") : parsed.message(),
             kVoidTitle, DialogButtons::Ok, DialogIcon::Exclamation});
        return false;
    }
    const std::optional<std::int64_t> number = *parsed;
    // The check on screen tells the account when the register holds the number on several.
    const std::optional<std::string> account = std::to_string(*number) == shown
                                                   ? std::optional(db::digitsOf(field(f::kAccount).text()))
                                                   : std::nullopt;
    db::Connection& connection = records_->connection();
    Result<db::RegisterEntry> found = db::findIssuedCheck(connection, *number, account);
    if (!found && account)
        found = db::findIssuedCheck(connection, *number, std::nullopt);
    if (!found) {
        dialogs_.show({found.message(), kVoidTitle, DialogButtons::Ok, DialogIcon::Exclamation});
        return false;
    }
    const std::optional<std::string> reason =
        dialogs_.input({describeForVoid(*found) + kVoidReasonPrompt, kVoidTitle, {}});
    if (!reason)
        return false;
    const Result<db::RegisterEntry> voided = db::voidEntry(connection, found->id, *reason);
    if (!voided) {
        dialogs_.show({voided.message(), kVoidTitle, DialogButtons::Ok, DialogIcon::Critical});
        return false;
    }
    // The check on screen may be the one whose comments now begin with the history line.
    readCurrentAgain();
    dialogs_.show({"Check #" + std::to_string(*number) + kVoided, kVoidTitle, DialogButtons::Ok,
                   DialogIcon::Information});
    return true;
}

} // namespace velmora::entry
