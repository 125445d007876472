#include "print/StockProducts.h"

#include "print/RecordRows.h"

#include <stdexcept>
#include <vector>

namespace velmora::print {

namespace {

using db::CheckRecord;

// A row content over the template check, read from the slot.
template <bool (*content)(const CheckRecord&, Items&)>
bool fromTemplate(const StockSlot& slot, Items& items) {
    return content(*slot.templateCheck, items);
}

template <const char* text> bool fixed(const StockSlot&, Items& items) {
    items.emplace_back(std::string(text));
    return true;
}

bool number(const StockSlot& slot, Items& items) {
    items.push_back(*slot.number);
    return true;
}

// On a deposit ticket the bank's tran code follows the on-us symbol, three blanks on either side.
bool micrAccountAndTranCode(const StockSlot& slot, Items& items) {
    const auto& account = slot.templateCheck->account;
    if (!account)
        return false;
    items = {rows::printable(*account), std::string("C   "), rows::printable(slot.tranCode),
             std::string("   ")};
    return true;
}

// On plain paper; the third slot of a 92mm page is cut by the paper's edge.
bool cutMark(const StockSlot& slot, Items& items) {
    if (!slot.plainPaper || !(slot.stock88mm || slot.pageOffset < 8000))
        return false;
    items.emplace_back(std::string("-"));
    return true;
}

// Quicken(tm) stock is 88mm stock: every slot of plain paper gets its marks.
bool cutMarkEverySlot(const StockSlot& slot, Items& items) {
    if (!slot.plainPaper)
        return false;
    items.emplace_back(std::string("-"));
    return true;
}

constexpr auto businessName = fromTemplate<rows::fieldText<&CheckRecord::businessName>>;
constexpr auto nameLine = fromTemplate<rows::nameLine>;
constexpr auto address = fromTemplate<rows::fieldText<&CheckRecord::address>>;
constexpr auto cityLine = fromTemplate<rows::cityLine>;
constexpr auto bank = fromTemplate<rows::fieldText<&CheckRecord::bank>>;
constexpr auto bankCityLine = fromTemplate<rows::bankCityLine>;
constexpr auto micrRouting = fromTemplate<rows::micrRouting>;
constexpr auto micrAccount = fromTemplate<rows::micrAccount>;
constexpr char kPhonePrefix[] = "PH: ";
constexpr auto phone = fromTemplate<rows::labelledText<&CheckRecord::phone, kPhonePrefix>>;

// clang-format off
constexpr char kEmpty[] = "";
constexpr char kPay[] = "PAY";
constexpr char kToThe[] = "TO THE";
constexpr char kOrderOf[] = "ORDER OF: ";
constexpr char kOrderOfShort[] = "ORDER OF:";
constexpr char kPayeeLine[] = "________________________________________________________________";
constexpr char kAmountLine[] = "________________________________________________________________ Dollars";
constexpr char kMemoLine[] = "Memo: __________________________________________";
constexpr char kMemo[] = "Memo:";
constexpr char kDateLine[] = "____________";
constexpr char kSignatureLine[] = "_______________________________________________________";
constexpr char kShortSignatureLine[] = "_____________________________________________";
constexpr char kAuthorized[] = "Authorized Signature ";
constexpr char kAmountBox[] = "$ _________";
constexpr char kDollar[] = "$";
constexpr char kDepositHeading[] = "DEPOSIT TICKET";
constexpr char kDateCaption[] = "Date: _______________";
constexpr char kCurrency[] = "CURRENCY";
constexpr char kCoins[] = "COINS";
constexpr char kChecks[] = "CHECKS";
constexpr char kTotalDeposit[] = "TOTAL DEPOSIT";
// clang-format on

constexpr RowStyle T8{Face::Text, 8, false, false};
constexpr RowStyle T8Italic{Face::Text, 8, false, true};
constexpr RowStyle T9{Face::Text, 9, false, false};
constexpr RowStyle T10{Face::Text, 10, false, false};
constexpr RowStyle T10Bold{Face::Text, 10, true, false};
constexpr RowStyle T10Italic{Face::Text, 10, false, true};
constexpr RowStyle T10BoldItalic{Face::Text, 10, true, true};
constexpr RowStyle T12{Face::Text, 12, false, false};
constexpr RowStyle T12Bold{Face::Text, 12, true, false};
constexpr RowStyle T12BoldItalic{Face::Text, 12, true, true};
constexpr RowStyle T14{Face::Text, 14, false, false};
constexpr RowStyle T14Bold{Face::Text, 14, true, false};
constexpr RowStyle Micr12{Face::Micr, 12, false, false};

// The free texts of the template check stop before the next item to their right, with a gap of 100
// twips: the holder block before the bank, the bank before the check number, and on a deposit ticket
// both before the grid.
constexpr double kGap = 100;
constexpr RowX kBeforeBank{6000 - kGap};
constexpr RowX kBeforeNumber{10000 - kGap};
constexpr RowX kBeforeGrid{6000 - kGap, true};

constexpr auto Top = From::Top;
constexpr auto Micr = From::MicrLine;
constexpr auto Cut = From::CutMarks;

// x from the horizontal start (or on the page where marked true), y from the slot's top, the MICR
// line or the cut marks.
// clang-format off
const StockRow kBlankCheck[] = {
    {Top,  {T10BoldItalic, {1500},        0,         businessName, kBeforeBank}},
    {Top,  {T10BoldItalic, {1500},        kNextLine, nameLine,     kBeforeBank}},
    {Top,  {T8Italic,      {1500},        kNextLine, address,      kBeforeBank}},
    {Top,  {T8Italic,      {1500},        kNextLine, cityLine,     kBeforeBank}},
    {Top,  {T8,            {6000},        0,         bank,         kBeforeNumber}},
    {Top,  {T8,            {6000},        kNextLine, bankCityLine, kBeforeNumber}},
    {Top,  {T10Bold,       {0},           980,       fixed<kPay>}},
    {Top,  {T10,           {0},           kNextLine, fixed<kToThe>}},
    {Top,  {T10,           {0},           kNextLine, fixed<kOrderOf>}},
    {Top,  {T10,           {1100},        1350,      fixed<kPayeeLine>}},
    {Top,  {T10,           {1100},        kNextLine, fixed<kEmpty>}},
    {Top,  {T10,           {1100},        kNextLine, fixed<kEmpty>}},
    {Top,  {T10,           {1100},        kNextLine, fixed<kAmountLine>}},
    {Top,  {T9,            {0},           3500,      fixed<kMemoLine>}},
    {Top,  {T12Bold,       {10000},       0,         number}},
    {Top,  {T12,           {9100},        kNextLine, fixed<kEmpty>}},
    {Top,  {T12,           {9100},        kNextLine, fixed<kDateLine>}},
    {Micr, {Micr12,        {1535},        0,         number}},
    {Micr, {Micr12,        {3330},        0,         micrRouting}},
    {Micr, {Micr12,        {5655},        0,         micrAccount}},
    {Top,  {T8,            {6050},        3500,      fixed<kSignatureLine>}},
    {Top,  {T8,            {6050},        kNextLine, fixed<kAuthorized>}},
    {Top,  {T14,           {9100},        1350,      fixed<kAmountBox>}},
    {Cut,  {T10,           {0, true},     0,         cutMark}},
    {Cut,  {T10,           {10500, true}, 0,         cutMark}},
};

const StockRow kDepositTicket[] = {
    {Top,  {T12BoldItalic, {0},           0,         businessName, kBeforeGrid}},
    {Top,  {T12BoldItalic, {0},           kNextLine, nameLine,     kBeforeGrid}},
    {Top,  {T10Italic,     {0},           kNextLine, address,      kBeforeGrid}},
    {Top,  {T10Italic,     {0},           kNextLine, cityLine,     kBeforeGrid}},
    {Top,  {T10Italic,     {0},           kNextLine, phone,        kBeforeGrid}},
    {Top,  {T10,           {0},           2700,      bank,         kBeforeGrid}},
    {Top,  {T10,           {0},           kNextLine, bankCityLine, kBeforeGrid}},
    {Top,  {T14Bold,       {0},           1800,      fixed<kDepositHeading>}},
    {Top,  {T12Bold,       {0},           kNextLine, fixed<kDateCaption>}},
    {Micr, {Micr12,        {3330},        0,         micrRouting}},
    {Micr, {Micr12,        {5655},        0,         micrAccountAndTranCode}},
    {Cut,  {T10,           {0, true},     0,         cutMark}},
    {Cut,  {T10,           {12000, true}, 0,         cutMark}},
};

// Four rows of 500 twips in three columns (captions, dollars, cents); the total row between thick
// lines. x on the page, y from the slot's top.
const RuledLine kDepositGrid[] = {
    {1, 6000, 800, 6000, 2800},
    {1, 8000, 800, 8000, 2800},
    {1, 10000, 800, 10000, 2800},
    {1, 10600, 800, 10600, 2800},
    {1, 6000, 800, 10600, 800},
    {1, 6000, 1300, 10600, 1300},
    {1, 6000, 1800, 10600, 1800},
    {4, 6000, 2300, 10600, 2300},
    {4, 6000, 2800, 10600, 2800},
};

// Each caption in the middle of its row of the grid, clear of the lines above and below it: a line
// of 10 point text is about 230 twips high in a row of 500.
const StockRow kDepositCaptions[] = {
    {Top,  {T10,           {6050, true},  935,       fixed<kCurrency>}},
    {Top,  {T10,           {6050, true},  1435,      fixed<kCoins>}},
    {Top,  {T10,           {6050, true},  1935,      fixed<kChecks>}},
    {Top,  {T10,           {6050, true},  2435,      fixed<kTotalDeposit>}},
};

const StockRow kQuickenCheck[] = {
    {Top,  {T10BoldItalic, {1500},        0,         businessName, kBeforeBank}},
    {Top,  {T10BoldItalic, {1500},        kNextLine, nameLine,     kBeforeBank}},
    {Top,  {T8Italic,      {1500},        kNextLine, address,      kBeforeBank}},
    {Top,  {T8Italic,      {1500},        kNextLine, cityLine,     kBeforeBank}},
    {Top,  {T8,            {6000},        0,         bank,         kBeforeNumber}},
    {Top,  {T8,            {6000},        kNextLine, bankCityLine, kBeforeNumber}},
    {Top,  {T10Bold,       {-50},         980,       fixed<kPay>}},
    {Top,  {T10,           {-50},         kNextLine, fixed<kToThe>}},
    {Top,  {T10,           {-50},         kNextLine, fixed<kOrderOfShort>}},
    {Top,  {T9,            {-50},         3590,      fixed<kMemo>}},
    {Top,  {T12Bold,       {10000},       0,         number}},
    {Micr, {Micr12,        {1535},        0,         number}},
    {Micr, {Micr12,        {3330},        0,         micrRouting}},
    {Micr, {Micr12,        {5655},        0,         micrAccount}},
    {Cut,  {T10,           {0, true},     0,         cutMarkEverySlot}},
    {Cut,  {T10,           {10500, true}, 0,         cutMarkEverySlot}},
    {Top,  {T8,            {6050},        3590,      fixed<kShortSignatureLine>}},
    {Top,  {T14Bold,       {9100},        1370,      fixed<kDollar>}},
};

// Each of a voucher's two stubs, one and two check pitches below its check.
const StockRow kVoucherStub[] = {
    {Top,  {T10BoldItalic, {0},           0,         businessName, kBeforeNumber}},
    {Top,  {T12BoldItalic, {10000},       0,         number}},
};

const char* const kDepositTranCode = "Some banks use different routing numbers or insert an additional number that is usually called TRAN CODE after the account number on deposit tickets. If your bank uses this code on deposit tickets, enter the tran code in Program Setup before printing deposit tickets.  \n\nTo get to Program Setup, from the data entry screen choose File - Program Setup from the menu. If the routing number is different for deposit tickets, you will need to create a new check database for deposit tickets. ";
const char* const kNoMicrFont = "Your PC does not have the MICR font installed. Further program execution is not possible";
const char* const kNoMicrFontDeposit = "Your PC does not have the MICR 013 BT font installed. Further program execution is not possible";
// clang-format on

const SlotPart kBlankCheckSlot[] = {{kBlankCheck}};
const SlotPart kDepositSlot[] = {{kDepositTicket}, {{}, kDepositGrid}, {kDepositCaptions}};
const SlotPart kQuickenSlot[] = {{kQuickenCheck}};
const SlotPart kVoucherSlot[] = {{kQuickenCheck}, {kVoucherStub, {}, 1}, {kVoucherStub, {}, 2}};

// clang-format off
// The Quicken(tm) 3-up check, on 88mm stock only; the voucher prints it above its stubs.
StockProduct quicken3Up() {
    return {
        .verb = "quicken-3up",
        .menu = StockMenu::BlankChecks,
        .caption = "&Quicken(tm) Compatible 3 up",
        .objectName = "BlankQuicken",
        .summary = "print Quicken(tm) compatible checks, three to a page",
        .description = "Prints the account data of the database's first check on Quicken(tm) compatible 3-up check stock, numbered from NUMBER upward, as the Printer Control Menu does; the stock must be set to 88mm. Then writes a history line on the first check.",
        .name = "Quicken(tm) compatible checks",
        .itemName = "check",
        .countPrompt = "Quicken checks are printed from information on the first check in this database. Enter the number of checks to print:",
        .historyOpening = "Printed Quicken 3up checks from check #",
        .needs88mm = true,
        .missingMicrFontText = kNoMicrFont,
        .pageRule = PageRule::ThreePerPage,
        .parts = kQuickenSlot};
}

// One row per product, in the order the command line lists them; each menu shows its own entries in
// this order.
std::vector<StockProduct> makeProducts() {
    return {
        {.verb = "blank-checks",
         .menu = StockMenu::BlankChecks,
         .caption = "&Regular Blank Checks",
         .objectName = "BlankCehcks",
         .summary = "print blank checks from the first check of a check database",
         .description = "Prints blank checks as Regular Blank Checks of the Printer Control Menu does: the account holder, the bank, the captions and writing lines, and the MICR line of the database's first check, numbered from NUMBER upward; then writes a history line on the first check.",
         .name = "blank checks",
         .itemName = "check",
         .countPrompt = "Blank checks are printed from information on the first check in this database. Enter the number of checks to print:",
         .historyOpening = "Printed blank checks from check #",
         .missingMicrFontText = kNoMicrFont,
         .pageRule = PageRule::AsSetUp,
         .parts = kBlankCheckSlot},
        // No numbers, so no history line; any first check prints, three to a page on either stock.
        {.verb = "deposit-tickets",
         .menu = StockMenu::DepositTickets,
         .caption = "&Blank Deposit Tickets",
         .objectName = "BlankDepositTickets",
         .summary = "print blank deposit tickets from the first check of a check database",
         .description = "Prints blank deposit tickets as Blank Deposit Tickets of the Printer Control Menu does: the account holder, the bank, the deposit grid and the MICR line of the database's first check, with the tran code of the settings after the account number. Nothing is written to the database.",
         .name = "deposit tickets",
         .itemName = "deposit ticket",
         .countPrompt = "Deposit slips are printed from information on the first check in this database. Enter the number of deposit slips to print:",
         .needsFilledTemplate = false,
         .notice = MessageBox{kDepositTranCode, {}},
         .missingMicrFontText = kNoMicrFontDeposit,
         .pageRule = PageRule::ThreePerPage,
         .parts = kDepositSlot},
        quicken3Up(),
        // The 3-up check with its two stubs below it, one to a page.
        [] {
            StockProduct voucher = quicken3Up();
            voucher.verb = "quicken-voucher";
            voucher.caption = "Quicken(tm) Compatible Business &Voucher";
            voucher.objectName = "qcbv";
            voucher.summary = "print Quicken(tm) compatible business voucher checks";
            voucher.description = "Prints one check and its two voucher stubs to a page on Quicken(tm) compatible business voucher stock, numbered from NUMBER upward, as the Printer Control Menu does; the stock must be set to 88mm. Then writes a history line on the first check.";
            voucher.name = "Quicken(tm) compatible voucher checks";
            voucher.historyOpening = "Printed Quicken voucher checks from check #";
            voucher.pageRule = PageRule::OnePerPage;
            voucher.parts = kVoucherSlot;
            return voucher;
        }(),
    };
}
// clang-format on

} // namespace

std::span<const StockProduct> stockProducts() {
    static const std::vector<StockProduct> products = makeProducts();
    return products;
}

const StockProduct& stockProduct(std::string_view verb) {
    for (const StockProduct& product : stockProducts()) {
        if (product.verb == verb)
            return product;
    }
    throw std::logic_error("there is no blank-stock product " + std::string(verb));
}

} // namespace velmora::print
