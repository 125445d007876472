#include "entry/TemplateValues.h"

#include "db/ErrorText.h"
#include "db/RecordSet.h"

namespace velmora::entry {

namespace f = db::field;

Result<TemplateValues> LoadTemplateValues(db::CheckDatabase& database) {
    TemplateValues values;
    Result<db::DatabaseProperties> properties = database.readProperties();
    if (!properties)
        return properties.status();
    values.properties = std::move(*properties);
    try {
        // The template is the first row in table order, whatever filter the screen's own set has.
        db::RecordSet account(database.connection(), db::schema::account());
        if (!account.hasCurrent())
            return values;

        const auto& table = db::schema::account();
        auto take = [&](std::string_view field) {
            const db::Value value = account.field(field);
            if (const auto text = value.text(); text && !text->empty())
                table.assign(values.taken, table.row(field), value);
        };
        if (values.type() == db::DatabaseType::Draft)
            take(f::kPayTo);
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
        for (std::string_view field : kHolderAndBankFields)
            take(field);
        // Checks of a check database never take a label from the template.
        values.labelPrint = values.type() != db::DatabaseType::Check && account.field(f::kLabelPrint).yes();
    } catch (const db::Error& error) {
        return Result<TemplateValues>::failure(db::userMessage(error));
    }
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
