// Arbitrary bytes pasted as an order form: cut as the importer cuts them, then imported into the
// current check of a draft database. Every cut value must be valid UTF-8, no longer than its length
// and free of carriage returns; every import into a healthy database must write its record, with
// the order details in its comments, and never take a value its field cannot hold.
#include "FuzzSupport.h"
#include "app/ProgramDir.h"
#include "base/Dialogs.h"
#include "db/CheckRecord.h"
#include "db/DatabaseFiles.h"
#include "entry/CheckEntry.h"
#include "entry/EntryWarnings.h"
#include "entry/OrderImporter.h"

#include <QString>
#include <algorithm>
#include <cstdint>
#include <string>

using namespace velmora;

namespace {

// Answers every box with its default.
class QuietDialogs : public Dialogs {
public:
    DialogAnswer show(const MessageBox& box) override { return box.defaultAnswer; }
    std::optional<std::string> input(const InputBox&) override { return std::nullopt; }
    std::optional<std::vector<bool>> choose(const ChoiceList&) override { return std::nullopt; }
};

// Whether text is well-formed UTF-8, by Qt's decoder, which turns anything else into U+FFFD.
bool isUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toUtf8() ==
           QByteArrayView(text.data(), static_cast<qsizetype>(text.size()));
}

void checkCut(const std::string& value, const entry::OrderField& field) {
    fuzz::require(isUtf8(value), "a cut value is not valid UTF-8");
    fuzz::require(entry::characterCount(value) <= field.length, "a cut value is longer than its length");
    fuzz::require(value.find('\r') == std::string::npos, "a cut value holds a carriage return");
}

struct Orders {
    QuietDialogs dialogs;
    entry::CheckEntry entry{dialogs, fuzz::scratchDir()};
    Orders() {
        fuzz::require(app::prepareProgramDir(fuzz::scratchDir()).ok(), "the program folder cannot be made");
        fuzz::require(db::createDatabase(fuzz::scratchDir(), "Orders", db::DatabaseType::Draft).ok(),
                      "the database cannot be made");
        fuzz::require(entry.open("Orders.mdb"), "the database cannot be opened");
        // Every import commits three times; waiting for the disk each time would make the harness
        // crawl, and durability is not what is under test here.
        entry.database()->connection().exec("PRAGMA synchronous = OFF");
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::string text = entry::orderFormText(bytes);
    fuzz::require(isUtf8(text), "the order form text is not valid UTF-8");
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        fuzz::require(at > 0 && text[at - 1] == '\r', "a line feed without its carriage return");
    for (const auto& fields : {entry::orderRecordFields(), entry::orderDetailFields()})
        for (const entry::OrderField& field : fields)
            checkCut(entry::CutFieldValue(bytes, field.label, field.offset, field.length), field);
    checkCut(entry::CutFieldValue(bytes, "", 0, 60), {"", 0, 60, nullptr});

    static Orders orders;
    const auto before = orders.entry.field(db::field::kCheck);
    const entry::OrderImportReport report = entry::importOrderForm(orders.entry, bytes);
    fuzz::require(report.written, "an import into a healthy database wrote nothing");
    fuzz::require(report.recordId == orders.entry.field(db::field::kId).integer(),
                  "the imported check is not current");
    fuzz::require(report.verification.size() == 1 || report.verification.size() == 2,
                  "no verification message");
    for (const entry::SkippedValue& skipped : report.skipped)
        fuzz::require(skipped.label == "CheckNumber" || skipped.label == "TotalCost",
                      "a text value was skipped");
    const std::string comments = orders.entry.field(db::field::kComments).textOrEmpty();
    fuzz::require(comments.starts_with("BankPhoneNumber: ") && isUtf8(comments),
                  "the comments are not the order's");
    const bool numberSkipped =
        std::any_of(report.skipped.begin(), report.skipped.end(),
                    [](const auto& skipped) { return skipped.label == "CheckNumber"; });
    if (numberSkipped && !report.newCheck)
        fuzz::require(orders.entry.field(db::field::kCheck) == before,
                      "a skipped check number changed the check");
    const auto number = orders.entry.field(db::field::kCheck).integer();
    fuzz::require(!number || (*number >= 0 && *number <= db::kMaxCheckNumber),
                  "a check number past the bounds");
    const auto amount = orders.entry.field(db::field::kAmount).money();
    fuzz::require(!amount ||
                      (amount->cents() >= -db::kMaxAmountCents && amount->cents() <= db::kMaxAmountCents),
                  "an amount past the bounds");
    return 0;
}
