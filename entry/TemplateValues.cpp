#include "entry/TemplateValues.h"

#include "db/RecordSet.h"

namespace velmora::entry {

namespace f = db::field;

const std::array<TemplateField, 13> kTemplateHolderAndBankFields = {{
    {f::kBusinessName, &TemplateValues::businessName},
    {f::kFirstName, &TemplateValues::firstName},
    {f::kLastName, &TemplateValues::lastName},
    {f::kAddress, &TemplateValues::address},
    {f::kCity, &TemplateValues::city},
    {f::kState, &TemplateValues::state},
    {f::kZip, &TemplateValues::zip},
    {f::kPhone, &TemplateValues::phone},
    {f::kBank, &TemplateValues::bank},
    {f::kBankCity, &TemplateValues::bankCity},
    {f::kBankState, &TemplateValues::bankState},
    {f::kAba, &TemplateValues::aba},
    {f::kAccount, &TemplateValues::account},
}};

TemplateValues LoadTemplateValues(db::CheckDatabase& database) {
    TemplateValues values;
    values.properties = database.readProperties();

    // The template is the first row in table order, whatever filter the screen's own set has.
    db::RecordSet account(database.connection(), db::schema::account());
    if (!account.hasCurrent())
        return values;

    auto take = [&](const char* field, std::string& into) {
        if (auto text = account.field(field).text(); text && !text->empty())
            into = *text;
    };
    if (values.type() == db::DatabaseType::Draft)
        take(f::kPayTo, values.payTo);
    if (values.type() == db::DatabaseType::Check) {
        values.labelGreyed = true;
        if (account.field(f::kLabelPrint).yes() || account.field(f::kLabelPrint).isNull()) {
            // Only this step is skipped when the file refuses the write: the values still load.
            try {
                account.edit();
                account.setField(f::kLabelPrint, false);
                account.update();
            } catch (const db::Error&) {
                account.cancelUpdate();
            }
        }
    }
    for (const auto& [field, member] : kTemplateHolderAndBankFields)
        take(field, values.*member);
    // Checks of a check database never take a label from the template.
    values.labelPrint = values.type() != db::DatabaseType::Check && account.field(f::kLabelPrint).yes();
    return values;
}

std::string windowTitle(const db::DatabaseProperties& properties) {
    const std::string description = properties.description.value_or(std::string());
    switch (properties.type()) {
    case db::DatabaseType::Draft:
        return "Draft Database: " + description;
    case db::DatabaseType::Check:
        return "Check Database: " + description;
    default:
        return "Data Entry: ";
    }
}

} // namespace velmora::entry
