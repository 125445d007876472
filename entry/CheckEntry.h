#pragma once

#include "base/Dialogs.h"
#include "base/Result.h"
#include "db/CheckDatabase.h"
#include "db/RecordSet.h"
#include "entry/ProductTypes.h"
#include "entry/RecordOptions.h"
#include "entry/RecordSearch.h"
#include "entry/TemplateValues.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::entry {

// Everything the data entry screen does, without the screen: it holds the open check database, the
// record set the screen browses, the template values and the product type list, and performs each
// command with its messages through Dialogs. The form only shows the current record's fields, hands
// typed text to setFieldText and forwards clicks.
//
// The current record stays in edit mode while it is shown; typed changes are kept until the record
// is saved, which every command that leaves the record does first. Database errors are reported
// through Dialogs and never escape; the commands that move on past a failing step (opening, New)
// report the first failure once at the end.
class CheckEntry {
public:
    CheckEntry(Dialogs& dialogs, std::filesystem::path programDir);
    ~CheckEntry();
    CheckEntry(const CheckEntry&) = delete;
    CheckEntry& operator=(const CheckEntry&) = delete;

    // Opens a check database, a file or one on the server, and shows its last record. One that is not
    // a usable check database is reported by name and nothing stays open; returns whether the
    // database is open.
    bool open(const DatabaseLocation& location);
    // The same for a file of the program directory.
    bool open(const std::string& databaseName) {
        return open(DatabaseLocation::inFile(programDir_ / databaseName));
    }
    // Drops the record sets and closes the file, without saving.
    void close();
    bool isOpen() const { return records_ != nullptr; }

    // The commands of the screen. New returns whether a new check was added and is current.
    bool newCheck();
    // Makes the changes of `fill` to the current check, or to a new check made first when `newCheck`
    // (numbered and filled from the template as New does), and saves them, all in one transaction:
    // everything is saved or nothing is, so a new check made for it is taken away again and the
    // screen stays on the check it showed. The current check's typed changes are saved before, as
    // every command saves them. `fill` sets fields (setFieldText and the like) and returns false to
    // save nothing. A step that fails is reported through Dialogs after `context`. Returns whether the
    // changes were saved; the check that holds them is then current.
    bool changeAsOne(bool newCheck, const std::function<bool()>& fill, const std::string& context);
    void next();
    void previous();
    void gotoFirstCheck();
    void deleteCheck();
    // Writes the typed changes of the current record; false (after a message) when that failed or the
    // user chose to keep the record as it is. A record saved meanwhile by another screen or program
    // is merged: the fields only one side changed keep that side's value; for fields both changed
    // the user is asked which to keep.
    bool save();
    // Replaces the set the screen browses: a filter, or all checks; the first record becomes current.
    void setFilter(std::optional<db::Filter> filter);
    // An entry of the Search menu: asks for a text and browses the checks whose field holds it,
    // typed pattern characters acting as patterns (a cancelled question searches for nothing, which
    // every filled field holds). When no check matches it says so and shows all checks.
    void search(const SearchEntry& entry);

    // The current record, with the typed changes not saved yet. Null without a current record.
    bool hasCurrent() const { return records_ && records_->hasCurrent(); }
    db::Value field(std::string_view name) const;
    // Takes typed text for a field: text as it is, the amount and the check number only when valid
    // (otherwise the message tells why and nothing changes).
    Status setFieldText(std::string_view name, std::string_view text);
    void setLabelPrint(bool yes);
    // The user chose an entry of the print option list or the product type list.
    void choosePrintOption(std::string_view shown);
    void chooseProductType(std::string_view productType);

    const RecordOptions& options() const { return options_; }
    const ProductTypeList& productTypes() const { return productTypes_; }
    // Reads the product types and the amount options of the settings file again (after program setup
    // changed them). Without the file the list is hidden and the options are off; when the types
    // cannot be read the list stays as it was.
    Status reloadSettings();
    // Whether the checks print their amount in words as well (a setting of the settings file).
    bool printsAmountInWords() const { return amountInWords_; }
    const TemplateValues& templateValues() const { return template_; }
    const std::string& windowTitle() const { return title_; }
    // The search in force, as a sentence ("Only the checks whose Business Name holds "bak" are
    // shown."); "" while all checks are shown.
    const std::string& searchInForce() const { return searchInForce_; }
    const std::string& databaseName() const { return databaseName_; }
    Dialogs& dialogs() { return dialogs_; }

    // File - Void a Check: asks for the number of a printed check (the one on screen to begin with)
    // and a reason, then voids it in the register with a history line on its check. The record on
    // screen is saved first and read again after. Returns whether a check was voided.
    bool voidPrintedCheck();
    // Reads the current record again as it is stored, dropping typed changes not saved: after another
    // screen changed it (voiding a check puts a history line on it).
    void readCurrentAgain();

    // Quiet warnings for the current record, "" when there is nothing to say: a routing number that
    // fails its check digit, and a check number that the register holds on the check's account (for
    // another check, as void, or as blank stock) or that another check of the database carries too
    // (looked up through the indexes on the numbers every opened database has).
    std::string routingWarning() const;
    std::string checkNumberWarning() const;

    // The record set the screen browses (tests and the search commands).
    db::RecordSet* records() { return records_.get(); }
    db::CheckDatabase* database() { return database_ ? &*database_ : nullptr; }

private:
    class SkipOnError;
    // New's steps after the current check was saved, inside the caller's transaction: the template
    // values read again, the next number, the check added with its defaults and made current. The
    // steps that fail are noted in `steps` and skipped; returns whether the check was added.
    bool addCheck(SkipOnError& steps);
    void move(bool forward, const char* endMessage);
    void refreshOptions();
    void reportDamage();
    bool resolveConflict(const db::ConflictError& conflict);
    Status loadTemplate();
    void report(const std::string& context, const std::string& error);
    template <typename Step> bool guarded(const std::string& context, Step&& step);

    Dialogs& dialogs_;
    std::filesystem::path programDir_;
    std::string databaseName_;
    std::optional<db::CheckDatabase> database_;
    std::unique_ptr<db::RecordSet> records_;
    TemplateValues template_;
    ProductTypeList productTypes_;
    bool amountInWords_ = false;
    RecordOptions options_;
    std::string title_ = "Data Entry: ";
    std::string searchInForce_;
    std::optional<std::int64_t> damageReported_;
};

} // namespace velmora::entry
