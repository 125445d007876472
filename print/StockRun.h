#pragma once

#include "db/CheckDatabase.h"
#include "print/CheckPlacement.h"
#include "print/LayoutRows.h"
#include "print/PageSource.h"
#include "print/PrintJob.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
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

// Where the y of a row of blank stock is counted from: the slot's top, the stock's MICR line or its
// cut marks (both of which lie lower on 92mm stock than on 88mm stock).
enum class From { Top, MicrLine, CutMarks };

struct StockRow {
    From from;
    LayoutRow<StockSlot> row;
};

// A ruled line of a slot, in a pen width of printer pixels: x on the page, y from the slot's top.
struct RuledLine {
    int width;
    double x1, y1, x2, y2;
};

// A part of a slot: rows of text, or ruled lines, drawn `pitchesDown` check pitches below the slot's
// top (a voucher's stubs lie under its check).
struct SlotPart {
    std::span<const StockRow> rows;
    std::span<const RuledLine> lines = {};
    int pitchesDown = 0;
};

// The menus of the Printer Control Menu that blank-stock products are entries of.
enum class StockMenu { BlankChecks, DepositTickets };

// A blank-stock product printed from the template check: blank checks, deposit tickets and the
// Quicken(tm)-compatible checks are each one value of this kind, told apart by their texts, rules and
// slot tables only; StockRun takes any of them through the same preparation, slots, page advance and
// history line. The value also says how the product is reached, so that its menu entries, its verb
// and the verb's help all come from it.
struct StockProduct {
    std::string verb = {};                   // of the command line: "blank-checks"
    StockMenu menu = StockMenu::BlankChecks; // of the Printer Control Menu
    std::string caption = {};                // of the menu entry, its access key marked
    std::string objectName = {};             // of the menu entry: "BlankCehcks"
    std::string summary = {};                // a line of the command line's list of commands
    std::string description = {};            // of the verb, in its usage and the manual page
    std::string name;                        // as messages name it: "blank checks"
    std::string itemName;                    // one item of a product without numbers: "deposit ticket"
    // The prompt for the number of items to print.
    std::string countPrompt;
    // A numbered product asks for the starting number after the count, prints it in every slot (one
    // more each time) and puts a history line beginning with this text on the template check;
    // std::nullopt for a product without numbers, which writes nothing.
    std::optional<std::string> historyOpening = std::nullopt;
    // Whether the template check must hold a business name or a first name (refused otherwise).
    bool needsFilledTemplate = true;
    // A product for 88mm stock only refuses any other, after the template and database tests.
    bool needs88mm = false;
    // A notice shown before the positions are read (the tran code of deposit tickets).
    std::optional<MessageBox> notice = std::nullopt;
    // The warning when the printer lacks the MICR font; the command then ends.
    std::string missingMicrFontText;
    PageRule pageRule = PageRule::AsSetUp;
    std::span<const SlotPart> parts = {}; // of one slot, drawn in order

    // Lays one item out in its slot: `origin` is the horizontal start and the slot top; positions are
    // summed in 16 bits.
    void draw(PrintSurface& surface, const StockSlot& slot, const LayoutOrigin& origin,
              const LayoutFonts& fonts, CutTexts* cut = nullptr) const;
};

// The run of a blank-stock product, on the skeleton of runJob(): the load-stock message, the tests
// of the template check and the database, the product's refusal and notice, the MICR font, the count
// (and starting number) prompts; then one slot per item with the page advance of the product; and,
// for a numbered product, once the job was sent, the history line on the template check and the run's
// numbers in the register (so that no entered check on that account is numbered with one of them).
//
// A preview asks the same prompts but shows no load-stock message, asks no confirmation and writes
// no history line; once prepared, the run's pages can be drawn one at a time in any order.
class StockRun : public PrintJob, public PageSource {
public:
    enum class Mode { Print, Preview };

    StockRun(db::CheckDatabase& database, const CheckPageSetup& setup, const StockProduct& product,
             std::string tranCode = {}, Mode mode = Mode::Print);

    // Called after every page of the job.
    void setProgress(ProgressFn progress) { progress_ = std::move(progress); }

    Start prepare(Dialogs& dialogs, PrintSurface& surface) override;
    // Turns a prepared preview into the print job of what it showed, with the same count and numbers:
    // the load-stock message, the fonts of `surface` and the confirmation of a large count; nothing is
    // asked again. Then runPreparedJob() prints it.
    Start printPreviewed(Dialogs& dialogs, PrintSurface& surface);
    JobPrinted print(PrintSurface& surface) override;
    std::optional<MessageBox> question() const override { return std::nullopt; }
    Status saveChanges(db::Connection& database, std::string& step) override;
    MessageBox notReadMessage(const std::string& why, std::int64_t printed) const override;
    MessageBox notSentMessage(const std::string& why) const override;
    MessageBox notSavedMessage(const std::string& stepAndWhy) const override;

    // The pages of the prepared job, and one of them drawn on its own (from 0): the slots on it, then
    // the page ended when it is full.
    std::int64_t pageCount() override;
    Status drawPage(std::int64_t page, PrintSurface& surface) override;
    // "check #1003", or "deposit ticket 4" for a product without numbers.
    std::string ownerAt(std::int64_t page, double x, double y) override;
    std::int64_t count() const { return count_; }
    const std::string& productName() const { return product_.name; }
    // The template check's texts that were cut short to fit their place on the items drawn so far
    // (every item holds the same texts), as they stand on the template check.
    const CutTexts& textsCut() const { return cut_; }
    // The first item of the prepared run that would print outside the printable area of `surface`.
    std::optional<ItemOutside> itemOutside(const PrintSurface& surface);

    // What the prompts accept. A count is a plain decimal number, cut to the whole items not above it
    // (zero or less prints none; more than kMaxCount is no count a stack of stock holds); a starting
    // number is a whole number of up to nine digits, a leading zero kept. Blanks around either are
    // allowed; anything else, the empty answer included, is not a number.
    static constexpr std::int64_t kMaxCount = 1'000'000;
    // More than this many items are printed only once the user confirms the count.
    static constexpr std::int64_t kConfirmAbove = 10'000;
    static std::optional<std::int64_t> parseCount(const std::string& answer);
    static std::optional<std::int64_t> parseStartNumber(const std::string& answer);

private:
    db::CheckDatabase& database_;
    CheckPageSetup setup_;
    const StockProduct& product_;
    std::string tranCode_;
    Mode mode_;
    db::CheckRecord template_;
    std::string textFont_;
    std::int64_t count_ = 0;
    std::string firstNumber_; // as typed
    std::int64_t firstValue_ = 0;
    ProgressFn progress_;
    CutTexts cut_;

    Start takeFonts(Dialogs& dialogs, PrintSurface& surface);
    bool countConfirmed(Dialogs& dialogs) const;
};

// The message that names the template check's texts a stock run printed cut short, and how to print
// them in full; "" when nothing was cut.
std::string describeTextsCut(const CutTexts& cut, const std::string& productName);

// Called once a stock run is prepared, before anything prints: false calls the job off (the user
// chose to align the printer first).
using BeforePrinting = std::function<bool(StockRun&)>;

// A blank-stock product printed with the starting positions, stock options and tran code of the
// settings record, as the menu entries and the command line print it. A surface that cannot print
// at all is told before anything is asked.
JobReport runStock(const StockProduct& product, db::CheckDatabase& database,
                   const db::SettingsRecord& settings, PrintSurface& surface, Dialogs& dialogs,
                   ProgressFn progress = {}, const BeforePrinting& beforePrinting = {});

// Prints a prepared stock run (one shown in a preview and turned into a print job, or one just
// prepared): `beforePrinting` first, then the job; the texts that were cut short are told in the
// report's notes.
JobReport printStockRun(StockRun& job, PrintSurface& surface, Dialogs& dialogs, db::Connection& database,
                        const BeforePrinting& beforePrinting = {});

// The first item of the prepared run (or test page) that would print outside the surface's printable
// area; std::nullopt when all fits, or the surface does not know its area.
std::optional<ItemOutside> itemOutside(PageSource& pages, const PrintSurface& surface);

} // namespace velmora::print
