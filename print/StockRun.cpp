#include "print/StockRun.h"

#include "base/Clock.h"
#include "base/Product.h"
#include "base/Text.h"
#include "db/CheckQueries.h"
#include "db/RegisterQueries.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace velmora::print {

namespace {

// clang-format off
const char* const kFillInTemplate = "You must fill in the fields of the first check before you can print checks. ";
const char* const kTemplateUsed = " uses the first check in each Database for printing blank checks. ";
const char* const kCheckDatabasesOnly = "Sorry - this function only works with CHECK databases, the current database is a Draft database.";
const char* const kNeeds88mm = "To print Quicken(tm) checks you must set check length to 88mm. Select the 88mm check length check box at the bottom of this screen.";
const char* const kStartNumberPrompt = "The check number appears on the upper right-hand corner of all checks. Enter the starting check number:";
const char* const kTemplateNotRead = "The first check of the database could not be read, so nothing was printed: ";
const char* const kNoHistoryWritten = " No history line was written on the first check.";
const char* const kHistoryNotWritten = " were printed, but the history line could not be written on the first check. The step that failed was ";
// clang-format on

// "12", "+12", "-3", "2.5", ".5": a sign, digits and a decimal part; at least one digit.
bool isPlainNumber(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-'))
        text.remove_prefix(1);
    bool digit = false;
    bool point = false;
    for (char c : text) {
        if (c == '.' && !point)
            point = true;
        else if (std::isdigit(static_cast<unsigned char>(c)))
            digit = true;
        else
            return false;
    }
    return digit;
}

// A starting position as the 16-bit settings field holds it; one beyond that range is not taken.
double sixteenBitStart(double twips) {
    return fitsSixteenBits(twips) ? twips : 0;
}

} // namespace

std::optional<std::int64_t> StockRun::parseCount(const std::string& answer) {
    std::string_view text = trimBlanks(answer);
    if (!isPlainNumber(text))
        return std::nullopt;
    if (text.front() == '-')
        return 0;
    if (text.front() == '+')
        text.remove_prefix(1);
    std::int64_t count = 0;
    for (char c : text.substr(0, text.find('.'))) {
        count = count * 10 + (c - '0');
        if (count > kMaxCount)
            return std::nullopt;
    }
    return count;
}

std::optional<std::int64_t> StockRun::parseStartNumber(const std::string& answer) {
    const std::string_view text = trimBlanks(answer);
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    return std::stoll(std::string(text));
}

void StockProduct::draw(PrintSurface& surface, const StockSlot& slot, const LayoutOrigin& origin,
                        const LayoutFonts& fonts, CutTexts* cut) const {
    for (const SlotPart& part : parts) {
        const double top = origin.y + part.pitchesDown * slot.stock.pitch;
        for (const StockRow& row : part.rows) {
            const double y = row.from == From::Top        ? top
                             : row.from == From::MicrLine ? top + slot.stock.micrOffset
                                                          : top + slot.stock.cutMarkOffset;
            drawRows<StockSlot>(surface, std::span(&row.row, 1), slot, {origin.x, y}, fonts,
                                Positions::SixteenBit, cut);
        }
        for (const RuledLine& line : part.lines) {
            if (!fitsSixteenBits(top + line.y1) || !fitsSixteenBits(top + line.y2))
                continue;
            skipFailure(surface.SetLineWidth(line.width));
            skipFailure(surface.DrawLine(line.x1, top + line.y1, line.x2, top + line.y2));
        }
    }
}

StockRun::StockRun(db::CheckDatabase& database, const CheckPageSetup& setup, const StockProduct& product,
                   std::string tranCode, Mode mode)
    : database_(database)
    , setup_(setup)
    , product_(product)
    , tranCode_(std::move(tranCode))
    , mode_(mode) {
    setup_.horizontalStart = sixteenBitStart(setup_.horizontalStart);
    setup_.verticalStart = sixteenBitStart(setup_.verticalStart);
}

PrintJob::Start StockRun::prepare(Dialogs& dialogs, PrintSurface& surface) {
    if (mode_ == Mode::Print)
        dialogs.show({kLoadCheckStock, "", DialogButtons::Ok, DialogIcon::None, DialogAnswer::Ok});
    const Result<std::optional<db::CheckRecord>> read = db::readTemplateCheck(database_.connection());
    if (!read) {
        dialogs.show(problemBox(kTemplateNotRead + sentence(read.message()), "Nothing printed"));
        return Start::Stop;
    }
    template_ = read->value_or(db::CheckRecord{});
    if (product_.needsFilledTemplate && !template_.businessName && !template_.firstName) {
        dialogs.show({std::string(kFillInTemplate) + product::kName + kTemplateUsed, "NOTE:"});
        return Start::Stop;
    }
    if (const auto properties = database_.readProperties();
        properties && properties->accountType == "Draft") {
        dialogs.inform(kCheckDatabasesOnly);
        return Start::Stop;
    }
    if (product_.needs88mm && !setup_.stock88mm) {
        dialogs.inform(kNeeds88mm);
        return Start::Stop;
    }
    if (product_.notice)
        dialogs.show(*product_.notice);
    if (takeFonts(dialogs, surface) != Start::Print)
        return Start::Stop;

    // Both prompts are shown before either answer is looked at.
    const std::optional<std::string> count = dialogs.input({product_.countPrompt, {}, {}});
    std::optional<std::string> start;
    if (product_.historyOpening)
        start = dialogs.input({kStartNumberPrompt, {}, {}});
    const std::optional<std::int64_t> items = parseCount(count.value_or(std::string()));
    if (product_.historyOpening) {
        const std::optional<std::int64_t> first = parseStartNumber(start.value_or(std::string()));
        if (!first)
            return Start::Stop;
        firstNumber_ = *start;
        firstValue_ = *first;
    }
    if (!items)
        return Start::Stop;
    count_ = *items;
    return mode_ == Mode::Preview || countConfirmed(dialogs) ? Start::Print : Start::Stop;
}

PrintJob::Start StockRun::takeFonts(Dialogs& dialogs, PrintSurface& surface) {
    skipFailure(surface.SetFontSize(10));
    skipFailure(surface.SetBold(false));
    // The font ships with the program, so this should never fail; when it does, the command ends and
    // the rest of the program (and what the user typed elsewhere) stays.
    if (!offersFace(surface, product::kMicrFontName)) {
        dialogs.show({product_.missingMicrFontText, "WARNING"});
        return Start::Stop;
    }
    textFont_ = chooseTextFont(surface);
    return Start::Print;
}

bool StockRun::countConfirmed(Dialogs& dialogs) const {
    if (count_ <= kConfirmAbove)
        return true;
    const std::string many = std::to_string(count_);
    return dialogs.askYesNo("You asked for " + many + " " + product_.name + ". Print all " + many + "?",
                            "Large count", DialogIcon::Question, DialogAnswer::No);
}

PrintJob::Start StockRun::printPreviewed(Dialogs& dialogs, PrintSurface& surface) {
    mode_ = Mode::Print;
    dialogs.show({kLoadCheckStock, "", DialogButtons::Ok, DialogIcon::None, DialogAnswer::Ok});
    if (takeFonts(dialogs, surface) != Start::Print || !countConfirmed(dialogs))
        return Start::Stop;
    return Start::Print;
}

std::string describeTextsCut(const CutTexts& cut, const std::string& productName) {
    if (cut.empty())
        return {};
    std::string quoted;
    for (std::size_t i = 0; i < cut.size(); ++i)
        quoted += (i == 0 ? "" : i + 1 == cut.size() ? " and " : ", ") + ("\"" + cut[i] + "\"");
    return std::string(cut.size() == 1 ? "The text " : "The texts ") + quoted + " of the first check " +
           (cut.size() == 1 ? "was" : "were") + " too long for the " + productName +
           " and printed cut short, ending in \"" + kElision + "\". Shorten " +
           (cut.size() == 1 ? "it" : "them") + " on the first check to print " +
           (cut.size() == 1 ? "it" : "them") + " in full.";
}

std::int64_t StockRun::pageCount() {
    return CheckPlacement(setup_, product_.pageRule).pagesFor(count_);
}

std::string StockRun::ownerAt(std::int64_t page, double, double y) {
    const CheckPlacement placement(setup_, product_.pageRule);
    const double pitch = placement.stock().pitch;
    // The slot whose top lies at or above y; a voucher's stubs belong to its one check.
    const auto slot =
        std::clamp<std::int64_t>(static_cast<std::int64_t>(std::floor((y - setup_.verticalStart) / pitch)), 0,
                                 placement.slotsPerPage() - 1);
    const std::int64_t item = page * placement.slotsPerPage() + slot;
    if (!product_.historyOpening)
        return product_.itemName + " " + std::to_string(item + 1);
    return "check #" + (item == 0 ? firstNumber_ : std::to_string(firstValue_ + item));
}

Status StockRun::drawPage(std::int64_t page, PrintSurface& surface) {
    CheckPlacement placement(setup_, product_.pageRule, Positions::SixteenBit);
    const LayoutFonts fonts{textFont_, product::kMicrFontName};
    StockSlot slot{&template_,       std::nullopt,      tranCode_,        0,
                   setup_.stock88mm, setup_.plainPaper, placement.stock()};
    const std::int64_t first = page * placement.slotsPerPage();
    const std::int64_t last = std::min(count_, first + placement.slotsPerPage());
    for (std::int64_t item = first; item < last; ++item) {
        if (product_.historyOpening)
            slot.number = item == 0 ? PrintItem(firstNumber_) : PrintItem(firstValue_ + item);
        slot.pageOffset = placement.pageOffset();
        // Every item holds the template's texts: the first one tells what is cut.
        if (item == 0)
            cut_.clear();
        product_.draw(surface, slot, {placement.slotLeft(), placement.slotTop()}, fonts,
                      item == 0 ? &cut_ : nullptr);
        placement.advance(surface);
    }
    return {};
}

JobPrinted StockRun::print(PrintSurface& surface) {
    const std::int64_t pages = pageCount();
    const std::int64_t perPage = CheckPlacement(setup_, product_.pageRule).slotsPerPage();
    for (std::int64_t page = 0; page < pages; ++page) {
        skipFailure(drawPage(page, surface));
        if (progress_)
            progress_({RunProgress::Stage::Checks, std::min(count_, (page + 1) * perPage), count_, page + 1,
                       pages});
    }
    return {count_, std::nullopt};
}

Status StockRun::saveChanges(db::Connection& database, std::string& step) {
    if (!product_.historyOpening || mode_ == Mode::Preview)
        return {};
    step = "writing the history line on the first check";
    const std::int64_t lastValue = firstValue_ + count_ - 1;
    db::addTemplateHistory(database, *product_.historyOpening + firstNumber_ + " to #" +
                                         std::to_string(lastValue) + " on " + formatDateText(Clock::today()) +
                                         "  ");
    if (count_ > 0) {
        // The numbers now on paper are never handed out to an entered check of that account.
        step = "recording the numbers in the register";
        db::BlankStockRun run;
        run.run = db::nextRunNumber(database);
        run.printed = isoDateText(Clock::today());
        run.product = product_.name;
        run.firstCheck = firstValue_;
        run.lastCheck = lastValue;
        run.aba = template_.aba;
        run.account = template_.account;
        db::RegisterWriter(database).add(run);
    }
    return {};
}

namespace {

// A report of nothing printed because the surface cannot print; the user has been told.
std::optional<JobReport> unready(const PrintSurface& surface, Dialogs& dialogs) {
    Status ready = surface.ready();
    if (ready)
        return std::nullopt;
    JobReport report;
    report.outputFailed = true;
    report.problems.push_back(sentence(ready.message()) + " Nothing was printed.");
    dialogs.show(problemBox(report.problems.back(), "Nothing printed"));
    return report;
}

} // namespace

JobReport runStock(const StockProduct& product, db::CheckDatabase& database,
                   const db::SettingsRecord& settings, PrintSurface& surface, Dialogs& dialogs,
                   ProgressFn progress, const BeforePrinting& beforePrinting) {
    if (auto refused = unready(surface, dialogs))
        return *refused;
    StockRun job(database, CheckPageSetup::fromSettings(settings), product, settings.tranCode.value_or(""));
    job.setProgress(std::move(progress));
    if (job.prepare(dialogs, surface) != PrintJob::Start::Print)
        return {};
    return printStockRun(job, surface, dialogs, database.connection(), beforePrinting);
}

JobReport printStockRun(StockRun& job, PrintSurface& surface, Dialogs& dialogs, db::Connection& database,
                        const BeforePrinting& beforePrinting) {
    if (auto refused = unready(surface, dialogs))
        return *refused;
    if (beforePrinting && !beforePrinting(job))
        return {};
    JobReport report = runPreparedJob(job, surface, dialogs, database);
    if (report.sent && !job.textsCut().empty())
        report.notes.push_back(describeTextsCut(job.textsCut(), job.productName()));
    return report;
}

std::optional<ItemOutside> itemOutside(PageSource& pages, const PrintSurface& surface) {
    const std::optional<PrintableArea> area = surface.printableArea();
    if (!area)
        return std::nullopt;
    Result<std::optional<ItemOutside>> found = findItemOutside(pages, *area);
    return found ? found.value() : std::nullopt;
}

namespace {

// The first and the last page of a stock run: every page holds the same items in the same places,
// and only the numbers grow, so these two tell what any page would leave out.
class EndPages : public PageSource {
public:
    explicit EndPages(StockRun& run)
        : run_(run)
        , count_(run.pageCount()) {}
    std::int64_t pageCount() override { return std::min<std::int64_t>(count_, 2); }
    Status drawPage(std::int64_t page, PrintSurface& surface) override {
        return run_.drawPage(actual(page), surface);
    }
    std::string ownerAt(std::int64_t page, double x, double y) override {
        return run_.ownerAt(actual(page), x, y);
    }

private:
    std::int64_t actual(std::int64_t page) const { return page == 0 ? 0 : count_ - 1; }
    StockRun& run_;
    std::int64_t count_;
};

} // namespace

std::optional<ItemOutside> StockRun::itemOutside(const PrintSurface& surface) {
    const auto onEndPages = [&] {
        EndPages ends(*this);
        return print::itemOutside(ends, surface);
    };
    std::optional<ItemOutside> found = onEndPages();
    if (!found)
        return found;
    if (found->page > 0)
        found->page = pageCount() - 1;
    // Laid out again with the starting positions moved by as much as it reaches out: an item at a
    // fixed place on the page (a cut mark) still reaches out as far, one that follows them does not.
    const CheckPageSetup kept = setup_;
    const double by = std::ceil(found->twips) + 1;
    switch (found->side) {
    case ItemOutside::Side::Right:
        setup_.horizontalStart -= by;
        break;
    case ItemOutside::Side::Left:
        setup_.horizontalStart += by;
        break;
    case ItemOutside::Side::Bottom:
        setup_.verticalStart -= by;
        break;
    case ItemOutside::Side::Top:
        setup_.verticalStart += by;
        break;
    }
    const std::optional<ItemOutside> moved = onEndPages();
    setup_ = kept;
    found->followsStart = !(moved && moved->text == found->text && moved->side == found->side &&
                            std::abs(moved->twips - found->twips) < 0.5);
    return found;
}

MessageBox StockRun::notReadMessage(const std::string& why, std::int64_t) const {
    return problemBox(kTemplateNotRead + sentence(why), "Nothing printed");
}

MessageBox StockRun::notSentMessage(const std::string& why) const {
    return problemBox("The print job of the " + product_.name + " could not be sent. " + why +
                          (product_.historyOpening ? kNoHistoryWritten : ""),
                      "Nothing printed");
}

MessageBox StockRun::notSavedMessage(const std::string& stepAndWhy) const {
    return problemBox("The " + product_.name + kHistoryNotWritten + stepAndWhy + ".", "Database not updated");
}

} // namespace velmora::print
