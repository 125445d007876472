#pragma once

#include "db/CheckDatabase.h"

#include <array>
#include <string>

namespace velmora::entry {

// The data entry screen's copy of the template check (the first record of `Account`), from which
// new checks are filled. Each value is empty unless the template's field holds text.
struct TemplateValues {
    db::DatabaseProperties properties; // as read together with the template
    std::string payTo;                 // taken in a draft database only
    std::string businessName, firstName, lastName, address, city, state, zip, phone;
    std::string bank, bankCity, bankState, aba, account;
    bool labelPrint = false;
    // In a check database the label box is shown greyed on the template, whose flag is forced to no.
    bool labelGreyed = false;

    db::DatabaseType type() const { return properties.type(); }
};

// The account holder and bank fields that a new check in a check database takes from the template,
// each paired with its template value.
struct TemplateField {
    const char* field;
    std::string TemplateValues::*value;
};
extern const std::array<TemplateField, 13> kTemplateHolderAndBankFields;

// Reads the template values: the kind of database from its properties record, the payee in a draft
// database, every account holder and bank field that is not empty, and the label flag. In a check
// database the template's `LabelPrint` is first written back as no, so that the template itself
// never asks for a label. Throws db::Error when the database cannot be read or written.
TemplateValues LoadTemplateValues(db::CheckDatabase& database);

// "Draft Database: " or "Check Database: " and the database's description; "Data Entry: " for a
// database of neither kind.
std::string windowTitle(const db::DatabaseProperties& properties);

} // namespace velmora::entry
