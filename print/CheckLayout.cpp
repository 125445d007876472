#include "print/CheckLayout.h"

#include "db/AmountWords.h"
#include "print/FontMetrics.h"
#include "print/RecordRows.h"

namespace velmora::print {

namespace {

using db::CheckRecord;
using Row = LayoutRow<CheckRecord>;
using rows::bankCityLine;
using rows::cityLine;
using rows::fieldText;
using rows::labelledText;
using rows::micrAccount;
using rows::micrRouting;
using rows::nameLine;
using rows::orEmpty;

constexpr char kPhonePrefix[] = "PH: ";
constexpr char kPayToPrefix[] = "PAY TO THE ORDER OF:  ";
constexpr char kMemoPrefix[] = "For: ";

bool amountBox(const CheckRecord& r, Items& items) {
    items.emplace_back(std::string("**$"));
    if (r.amount)
        items.emplace_back(*r.amount);
    items.emplace_back(std::string("**"));
    return true;
}

// "**$1,234.56**": the asterisks close up to the figures, so that none can be written in before them.
bool amountWithCents(const CheckRecord& r, Items& items) {
    items.emplace_back("**$" + (r.amount ? r.amount->toGroupedText() : std::string()) + "**");
    return true;
}

// "One thousand two hundred thirty-four and 56/100", the row's asterisks, " Dollars"; no line for an
// amount that has no words (none, zero or negative).
bool amountWords(const CheckRecord& r, Items& items) {
    const std::optional<std::string> words = r.amount ? db::amountInWords(*r.amount) : std::nullopt;
    if (!words)
        return false;
    items = {*words, std::string(" Dollars")};
    return true;
}

bool checkNumber(const CheckRecord& r, Items& items) {
    if (!r.check)
        return false;
    items.emplace_back(*r.check);
    return true;
}

bool micrCheckNumber(const CheckRecord& r, Items& items) {
    if (!r.check)
        return false;
    items = {std::string("C"), *r.check, std::string("C")};
    return true;
}

template <const char* text> bool fixed(const CheckRecord&, Items& items) {
    items.emplace_back(std::string(text));
    return true;
}

bool draftPayee(const CheckRecord& r, Items& items) {
    items.emplace_back(orEmpty(r.payTo));
    return true;
}

constexpr char kLineFeed[] = " ";
constexpr char kReceipt[] = "This check when paid is a receipt for amount due on date indicated";
constexpr char kAuthorized[] = "Payment authorized by accountholder";
constexpr char kIndemnification[] = "Indemnification agreement provided by:";
constexpr char kSignatureLine[] = "_____________________________________";
constexpr char kCutMark[] = "-";

constexpr RowStyle T12BoldItalic{Face::Text, 12, true, true};
constexpr RowStyle T10Italic{Face::Text, 10, false, true};
constexpr RowStyle T12Bold{Face::Text, 12, true, false};
constexpr RowStyle T12{Face::Text, 12, false, false};
constexpr RowStyle T10{Face::Text, 10, false, false};
constexpr RowStyle T825{Face::Text, 8.25, false, false};
constexpr RowStyle T825Italic{Face::Text, 8.25, false, true};
constexpr RowStyle Micr12{Face::Micr, 12, false, false};

// Where the free texts must stop, so that none runs into the next item to its right: the account
// holder block before the check number and date, the payee before the amount box, the bank's city
// and the memo before the draft texts and the signature line (all at 6600), the rest at the page's
// edge. A gap of 100 twips stays free before the next item.
constexpr double kGap = 100;
constexpr RowX kBeforeNumber{9600 - kGap};
constexpr RowX kBeforeAmount{9000 - kGap};
constexpr RowX kBeforeRightBlock{6600 - kGap};
constexpr RowX kPageEdge{kPageRightEdge, true};
// The amount in words ends at the right edge of the amount box: as far as "**$9,999,999.99**" reaches
// from 9000, about 600 twips short of the check's right edge, and with the usual horizontal start of
// 525 inside what a typical printer prints.
constexpr RowX kAmountBoxRight{10900};
// A long amount in words is set smaller, down to this size, to keep to its line.
constexpr double kSmallestWords = 8;

constexpr double kPayeeAndAmountTop = 1800;
constexpr RowStyle kAmountStyle = T12Bold;

// x and y relative to the slot's left edge and top.
const Row kHolderAndPayee[] = {
    {T12BoldItalic, {0}, 0, fieldText<&CheckRecord::businessName>, kBeforeNumber},
    {T12BoldItalic, {0}, kNextLine, nameLine, kBeforeNumber},
    {T10Italic, {0}, kNextLine, fieldText<&CheckRecord::address>, kBeforeNumber},
    {T10Italic, {0}, kNextLine, cityLine, kBeforeNumber},
    {T10Italic, {0}, kNextLine, labelledText<&CheckRecord::phone, kPhonePrefix>, kBeforeNumber},
    {T12BoldItalic, {0}, kPayeeAndAmountTop, labelledText<&CheckRecord::payTo, kPayToPrefix>, kBeforeAmount},
};

const Row kAmount[] = {{kAmountStyle, {9000}, kPayeeAndAmountTop, amountBox}};
const Row kAmountWithCents[] = {{kAmountStyle, {9000}, kPayeeAndAmountTop, amountWithCents}};

// On the line the amount leaves, above the bank's name, filled with asterisks up to the amount
// box's right edge.
const Row kAmountInWords[] = {
    {T12, {0}, kNextLine, amountWords, kAmountBoxRight, LineEnding::EndLine, kSmallestWords, '*'},
};

const Row kBankAndMemo[] = {
    {T12Bold, {0}, 2400, fieldText<&CheckRecord::bank>, kPageEdge},
    {T10, {0}, kNextLine, bankCityLine, kBeforeRightBlock},
    {T10, {0}, 3100, labelledText<&CheckRecord::memo, kMemoPrefix>, kBeforeRightBlock},
};

// The receipt text follows the memo, a line lower when there is one.
const Row kDraftTexts[] = {
    {T825, {0}, kNextLine, fixed<kLineFeed>},
    {T825, {0}, kNextLine, fixed<kReceipt>},
    {T825, {6600}, 2700, fixed<kAuthorized>},
    {T825, {6600}, kNextLine, fixed<kIndemnification>},
    {T825Italic, {6600}, kNextLine, draftPayee, kPageEdge},
};

const Row kSignature[] = {
    {T10, {6600}, 3200, fixed<kSignatureLine>},
};

// The MICR line's y is the stock's MICR offset, set by the caller as the origin.
const Row kMicrLine[] = {
    {Micr12, {1535}, 0, micrCheckNumber},
    {Micr12, {3330}, 0, micrRouting},
    {Micr12, {5655}, 0, micrAccount},
};

const Row kNumberAndDate[] = {
    {T12Bold, {9600}, 300, checkNumber},
    {T12Bold, {9600}, kNextLine, fieldText<&CheckRecord::date>, kPageEdge},
};

// At fixed x on the page, whatever the horizontal start; y is the stock's cut-mark offset.
const Row kCutMarks[] = {
    {T10, {0, true}, 0, fixed<kCutMark>},
    {T10, {10500, true}, 0, fixed<kCutMark>},
};

} // namespace

CheckLayout::CheckLayout(db::DatabaseType type, LayoutFonts fonts)
    : type_(type)
    , fonts_(std::move(fonts)) {}

void CheckLayout::draw(PrintSurface& surface, const CheckRecord& record,
                       const CheckPlacement& placement) const {
    const LayoutOrigin slot{placement.slotLeft(), placement.slotTop()};
    const CheckPageSetup& setup = placement.setup();
    drawRows<CheckRecord>(surface, kHolderAndPayee, record, slot, fonts_);
    drawRows<CheckRecord>(surface, setup.amountWithCents ? kAmountWithCents : kAmount, record, slot, fonts_);
    if (setup.amountInWords)
        drawRows<CheckRecord>(surface, kAmountInWords, record, slot, fonts_);
    drawRows<CheckRecord>(surface, kBankAndMemo, record, slot, fonts_);
    if (type_ == db::DatabaseType::Draft)
        drawRows<CheckRecord>(surface, kDraftTexts, record, slot, fonts_);
    else if (type_ == db::DatabaseType::Check)
        drawRows<CheckRecord>(surface, kSignature, record, slot, fonts_);
    const StockDistances& stock = placement.stock();
    drawRows<CheckRecord>(surface, kMicrLine, record, {slot.x, slot.y + stock.micrOffset}, fonts_);
    drawRows<CheckRecord>(surface, kNumberAndDate, record, slot, fonts_);
    // The last slot of a three-check page is cut by the paper's edge.
    if (setup.plainPaper && placement.pageOffset() < 8000)
        drawRows<CheckRecord>(surface, kCutMarks, record, {0, slot.y + stock.cutMarkOffset}, fonts_);
    skipFailure(surface.SetFontSize(10));
    skipFailure(surface.SetBold(false));
}

void CheckLayout::drawAmountInWords(PrintSurface& surface, const LayoutFonts& fonts, const LayoutOrigin& slot,
                                    db::Money amount, const FontMetrics& metrics) {
    const PrintSurface::FontState amountFont{fonts.text, kAmountStyle.points, kAmountStyle.bold,
                                             kAmountStyle.italic};
    skipFailure(surface.SetY(slot.y + kPayeeAndAmountTop + metrics.lineHeight(amountFont)));
    CheckRecord sample;
    sample.amount = amount;
    drawRows<CheckRecord>(surface, kAmountInWords, sample, slot, fonts);
}

} // namespace velmora::print
