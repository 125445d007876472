#include "export/RegisterFiles.h"

#include "base/Clock.h"
#include "db/Connection.h"
#include "export/DelimitedLine.h"

#include <array>

namespace velmora::exporting {

namespace fs = std::filesystem;

namespace {

using Column = PositivePayColumn;

// clang-format off
const std::array<PositivePayFormat, 4> kFormats = {{
    {"standard", "account, check number, issue date (MM/DD/YYYY), amount, payee, V for void; a header line",
     "Account,Check,Issue Date,Amount,Payee,Void",
     {Column::Account, Column::Check, Column::IssueDate, Column::Amount, Column::Payee, Column::VoidFlag},
     "MM/DD/YYYY", AmountForm::Dollars, "", "V"},
    {"no-payee", "account, check number, amount, issue date (MMDDYYYY), I or V; no payee, no header line",
     "",
     {Column::Account, Column::Check, Column::Amount, Column::IssueDate, Column::VoidFlag},
     "MMDDYYYY", AmountForm::Dollars, "I", "V"},
    {"routing-cents", "routing, account, check number, issue date (YYYY-MM-DD), amount in cents, payee, ISSUE or VOID; a header line",
     "Routing,Account,Serial,IssueDate,AmountCents,Payee,Status",
     {Column::Routing, Column::Account, Column::Check, Column::IssueDate, Column::Amount, Column::Payee, Column::VoidFlag},
     "YYYY-MM-DD", AmountForm::Cents, "ISSUE", "VOID"},
    {"void-first", "void flag (V or blank), check number, account, amount, issue date (MMDDYY), payee; no header line",
     "",
     {Column::VoidFlag, Column::Check, Column::Account, Column::Amount, Column::IssueDate, Column::Payee},
     "MMDDYY", AmountForm::Dollars, "", "V"},
}};
// clang-format on

// A payee on one line: control characters (a line break, a tab) become blanks.
std::string oneLine(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return text;
}

std::string amountText(const std::optional<db::Money>& amount, AmountForm form) {
    if (!amount)
        return {};
    return form == AmountForm::Cents ? std::to_string(amount->cents()) : amount->toFixedText();
}

} // namespace

std::span<const PositivePayFormat> positivePayFormats() {
    return kFormats;
}

const PositivePayFormat* findPositivePayFormat(std::string_view name) {
    for (const PositivePayFormat& format : kFormats) {
        if (format.name == name)
            return &format;
    }
    return nullptr;
}

std::string positivePayFormatNames() {
    std::string names;
    for (const PositivePayFormat& format : kFormats)
        names += (names.empty() ? "" : ", ") + std::string(format.name);
    return names;
}

std::string formatDate(std::string_view form, const std::string& isoDate) {
    const std::optional<Date> date = parseIsoDate(isoDate);
    if (!date)
        return isoDate;
    const auto digits = [](int value, int width) {
        std::string text = std::to_string(value);
        return std::string(text.size() < static_cast<std::size_t>(width) ? width - text.size() : 0, '0') +
               text;
    };
    std::string text;
    while (!form.empty()) {
        if (form.starts_with("YYYY")) {
            text += digits(date->year, 4);
            form.remove_prefix(4);
        } else if (form.starts_with("YY")) {
            text += digits(date->year % 100, 2);
            form.remove_prefix(2);
        } else if (form.starts_with("MM")) {
            text += digits(date->month, 2);
            form.remove_prefix(2);
        } else if (form.starts_with("DD")) {
            text += digits(date->day, 2);
            form.remove_prefix(2);
        } else {
            text += form.front();
            form.remove_prefix(1);
        }
    }
    return text;
}

void appendPositivePayLine(std::string& out, const PositivePayFormat& format,
                           const db::RegisterEntry& entry) {
    std::vector<std::string> texts;
    texts.reserve(format.columns.size());
    std::vector<db::FieldText> values;
    values.reserve(format.columns.size());
    for (const Column column : format.columns) {
        db::FieldText::Kind kind = db::FieldText::Kind::Number; // written bare
        switch (column) {
        case Column::Routing:
            texts.push_back(db::digitsOf(entry.aba));
            break;
        case Column::Account:
            texts.push_back(db::digitsOf(entry.account));
            break;
        case Column::Check:
            texts.push_back(std::to_string(entry.check));
            break;
        case Column::IssueDate:
            texts.push_back(formatDate(format.dateForm, entry.printed));
            break;
        case Column::Amount:
            texts.push_back(amountText(entry.amount, format.amount));
            break;
        case Column::Payee:
            kind = entry.payTo ? db::FieldText::Kind::Text : db::FieldText::Kind::Null;
            texts.push_back(oneLine(entry.payTo.value_or(std::string())));
            break;
        case Column::VoidFlag:
            texts.emplace_back(entry.isVoid() ? format.voidFlag : format.issuedFlag);
            break;
        }
        values.push_back({kind, {}});
    }
    // The texts stay where they are once all are made.
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i].text = texts[i];
    appendDelimitedLine(out, values);
}

ExportResult writePositivePay(const DatabaseLocation& database, const PositivePayFormat& format,
                              const std::string& from, const std::string& to, const fs::path& target,
                              const fs::path& programDir) {
    const db::RegisterView view{from, to, db::RegisterView::States::All,
                                db::RegisterView::Dates::PrintedOrVoided};
    return writeLines(database, target, programDir, false, "The positive pay file",
                      [&](db::Connection& connection, std::string& text, const std::function<void()>& done) {
                          if (!format.header.empty())
                              text.append(format.header).append("\r\n");
                          return db::forEachRegisterEntry(connection, view,
                                                          [&](const db::RegisterEntry& entry) {
                                                              appendPositivePayLine(text, format, entry);
                                                              done();
                                                          });
                      });
}

ExportResult writeRegisterFile(const DatabaseLocation& database, const db::RegisterView& view,
                               const fs::path& target, const fs::path& programDir) {
    const auto& table = db::schema::checkRegister();
    return writeLines(
        database, target, programDir, false, "The register file",
        [&](db::Connection& connection, std::string& text, const std::function<void()>& done) {
            std::string header;
            for (const auto& row : table.rows()) {
                if (row.def.kind != db::FieldKind::Counter)
                    header += (header.empty() ? "" : ",") + std::string(row.def.name);
            }
            text.append(header).append("\r\n");
            std::vector<std::string> texts;
            std::vector<db::FieldText> values;
            return db::forEachRegisterEntry(connection, view, [&](const db::RegisterEntry& entry) {
                texts.clear();
                values.clear();
                for (const auto& row : table.rows()) {
                    if (row.def.kind == db::FieldKind::Counter)
                        continue;
                    const db::Value value = table.value(entry, row);
                    const bool number = row.def.kind != db::FieldKind::Text;
                    texts.push_back(value.isMoney() ? value.money()->toFixedText() : value.textOrEmpty());
                    values.push_back({value.isNull() ? db::FieldText::Kind::Null
                                      : number       ? db::FieldText::Kind::Number
                                                     : db::FieldText::Kind::Text,
                                      {}});
                }
                for (std::size_t i = 0; i < values.size(); ++i)
                    values[i].text = texts[i];
                appendDelimitedLine(text, values);
                done();
            });
        });
}

} // namespace velmora::exporting
