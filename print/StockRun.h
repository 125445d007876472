#pragma once

#include "db/CheckDatabase.h"
#include "print/CheckPlacement.h"
#include "print/LayoutRows.h"
#include "print/PrintJob.h"

#include <cstdint>
#include <optional>
#include <string>

namespace velmora::print {

// What one slot of blank stock is laid out from: the template check's account holder and bank, the
// slot's check number and what decides the cut marks.
struct StockSlot {
    const db::CheckRecord* templateCheck = nullptr;
    // The check number of a numbered product: the text as typed for the first slot, a number (with a
    // blank on either side) for every later one.
    std::optional<PrintItem> number;
    std::string tranCode; // settings field `1`, printed after the account number on deposit tickets
    double pageOffset = 0;
    bool stock88mm = false;
    bool plainPaper = false;
    StockDistances stock;
};

// A blank-stock product printed from the template check: blank checks, deposit tickets and the
// Quicken(tm)-compatible checks each are one class of this kind, told apart by their texts, their
// rules and their slot layouts (row tables of StockSlot); StockRun takes any of them through the same
// preparation, slots, page advance and history line.
class StockProduct {
public:
    virtual ~StockProduct() = default;

    // The prompt for the number of items to print.
    virtual std::string countPrompt() const = 0;
    // A numbered product asks for the starting number after the count, prints it in every slot (one
    // more each time) and puts a history line beginning with this text on the template check;
    // std::nullopt for a product without numbers, which writes nothing.
    virtual std::optional<std::string> historyOpening() const = 0;
    // Whether the template check must hold a business name or a first name (refused otherwise).
    virtual bool needsFilledTemplate() const = 0;
    // A refusal of the stock set up (a product for 88mm stock only), after the template and database
    // tests; std::nullopt when the product prints on it.
    virtual std::optional<MessageBox> refusal(const CheckPageSetup&) const { return std::nullopt; }
    // A notice shown before the positions are read (the tran code of deposit tickets).
    virtual std::optional<MessageBox> notice() const { return std::nullopt; }
    // The text of the warning when the printer lacks the MICR font; the program then ends.
    virtual std::string missingMicrFontText() const = 0;
    // How the slots follow one another on a page.
    virtual PageRule pageRule() const = 0;
    // Lays one item out in its slot: `origin` is the horizontal start and the slot top; positions are
    // summed in 16 bits.
    virtual void draw(PrintSurface& surface, const StockSlot& slot, const LayoutOrigin& origin,
                      const LayoutFonts& fonts) const = 0;
    // The product as messages name it: "blank checks".
    virtual std::string name() const = 0;
};

// The run of a blank-stock product, on the skeleton of runJob(): the load-stock message, the tests
// of the template check and the database, the product's refusal and notice, the MICR font, the count
// (and starting number) prompts; then one slot per item with the page advance of the product; and,
// for a numbered product, once the job was sent, the history line on the template check.
class StockRun : public PrintJob {
public:
    StockRun(db::CheckDatabase& database, const CheckPageSetup& setup, const StockProduct& product,
             std::string tranCode = {});

    Start prepare(Dialogs& dialogs, PrintSurface& surface) override;
    JobPrinted print(PrintSurface& surface) override;
    std::optional<MessageBox> question() const override { return std::nullopt; }
    Status saveChanges(db::Connection& database, std::string& step) override;
    MessageBox notReadMessage(const std::string& why, std::int64_t printed) const override;
    MessageBox notSentMessage(const std::string& why) const override;
    MessageBox notSavedMessage(const std::string& stepAndWhy) const override;

    // What the prompts accept. A count is a plain decimal number, cut to the whole items not above it
    // (zero or less prints none; more than kMaxCount is no count a stack of stock holds); a starting
    // number is a whole number of up to nine digits, a leading zero kept. Blanks around either are
    // allowed; anything else, the empty answer included, is not a number.
    static constexpr std::int64_t kMaxCount = 1'000'000;
    static std::optional<std::int64_t> parseCount(const std::string& answer);
    static std::optional<std::int64_t> parseStartNumber(const std::string& answer);

private:
    db::CheckDatabase& database_;
    CheckPageSetup setup_;
    const StockProduct& product_;
    std::string tranCode_;
    db::CheckRecord template_;
    std::string textFont_;
    std::int64_t count_ = 0;
    std::string firstNumber_; // as typed
    std::int64_t nextNumber_ = 0;
};

} // namespace velmora::print
