#pragma once

#include "base/Result.h"
#include "db/CheckDatabase.h"

#include <array>
#include <string>
#include <string_view>

namespace velmora::entry {

// The data entry screen's copy of the template check (the first record of `Account`), from which
// new checks are filled.
struct TemplateValues {
    db::DatabaseProperties properties; // as read together with the template
    // The template's fields that new checks take: each holds the template's text when that is not
    // empty, otherwise nothing. The payee is taken in a draft database only.
    db::CheckRecord taken;
    bool labelPrint = false;
    // In a check database the label box is shown greyed on the template, whose flag is forced to no.
    bool labelGreyed = false;

    db::DatabaseType type() const { return properties.type(); }
};

// The account holder and bank fields that a new check in a check database takes from the template.
inline constexpr std::array<std::string_view, 13> kHolderAndBankFields = {
    db::field::kBusinessName, db::field::kFirstName, db::field::kLastName,  db::field::kAddress,
    db::field::kCity,         db::field::kState,     db::field::kZip,       db::field::kPhone,
    db::field::kBank,         db::field::kBankCity,  db::field::kBankState, db::field::kAba,
    db::field::kAccount};

// Reads the template values: the kind of database from its properties record, the payee in a draft
// database, every account holder and bank field that is not empty, and the label flag. In a check
// database the template's `LabelPrint` is first written back as no, so that the template itself
// never asks for a label (a file that refuses the write loads the values all the same). A failure
// says why the database could not be read.
Result<TemplateValues> LoadTemplateValues(db::CheckDatabase& database);

// "Draft Database: " or "Check Database: " and the database's description; "Data Entry: " for a
// database of neither kind.
std::string windowTitle(const db::DatabaseProperties& properties);

} // namespace velmora::entry
