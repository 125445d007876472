#include "print/PrintSurface.h"

#include "base/FaceNames.h"

#include <algorithm>

namespace velmora::print {

namespace {
template <class... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>; // clang before 17 needs the guide

// Keeps the first failure of a sequence of steps; later steps still run.
void keepFirstFailure(Status& first, Status next) {
    if (first.ok() && !next.ok())
        first = std::move(next);
}

// The size of a value without negating it: -INT64_MIN does not exist as an int64.
std::uint64_t magnitude(std::int64_t value) {
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

// " 12.5 " or "-12.5 ": the sign's place, the shortest plain decimal text, a blank.
std::string signedNumber(bool negative, std::string digits) {
    return (negative ? "-" : " ") + std::move(digits) + " ";
}

std::string shortestAmount(std::uint64_t cents) {
    std::string text = std::to_string(cents / 100);
    const unsigned fraction = static_cast<unsigned>(cents % 100);
    if (fraction != 0) {
        text += '.';
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0)
            text += static_cast<char>('0' + fraction % 10);
    }
    return text;
}
} // namespace

std::string printedText(const PrintItem& item) {
    return std::visit(
        Overloaded{
            [](const std::string& text) { return text; },
            [](std::int64_t number) { return signedNumber(number < 0, std::to_string(magnitude(number))); },
            [](const db::Money& amount) {
                return signedNumber(amount.cents() < 0, shortestAmount(magnitude(amount.cents())));
            },
        },
        item);
}

std::string firstCharacters(const std::string& text, std::size_t characters) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A byte that is not a continuation byte starts a character.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && count++ == characters)
            return text.substr(0, i);
    }
    return text;
}

Status PrintSurface::SetFontName(const std::string& face) {
    font_.face = face;
    return {};
}

Status PrintSurface::SetFontSize(double points) {
    if (!(points > 0))
        return Status::failure("Invalid font size");
    font_.points = points;
    return {};
}

Status PrintSurface::SetBold(bool on) {
    font_.bold = on;
    return {};
}

Status PrintSurface::SetItalic(bool on) {
    font_.italic = on;
    return {};
}

Status PrintSurface::SetX(double twips) {
    x_ = twips;
    return {};
}

Status PrintSurface::SetY(double twips) {
    y_ = twips;
    return {};
}

Status PrintSurface::ensurePage() {
    Status status;
    if (!documentOpen_) {
        keepFirstFailure(status, beginDocument());
        documentOpen_ = true;
        pageOpen_ = true;
        pageBreakPending_ = false;
    } else if (pageBreakPending_) {
        keepFirstFailure(status, beginPage());
        pageBreakPending_ = false;
        pageOpen_ = true;
    }
    return status;
}

Status PrintSurface::PrintItems(const std::vector<PrintItem>& items, LineEnding ending) {
    Status status = ensurePage();
    for (const auto& item : items) {
        // A text item is cut without copying it whole first.
        const auto* given = std::get_if<std::string>(&item);
        const std::string text = given ? firstCharacters(*given, kMaxItemCharacters) : printedText(item);
        keepFirstFailure(status, drawText(x_, y_, text, font_));
        x_ += textWidth(text, font_);
    }
    if (ending == LineEnding::EndLine) {
        x_ = 0;
        y_ += lineHeight(font_);
    }
    return status;
}

Status PrintSurface::NewPage() {
    // The sheet is only started by the next output, so a page break just before the end of the job
    // (or a second one in a row) never feeds an empty sheet.
    if (documentOpen_ && pageOpen_) {
        pageOpen_ = false;
        pageBreakPending_ = true;
    }
    x_ = 0;
    y_ = 0;
    return {};
}

Status PrintSurface::EndDocument() {
    // A job in which nothing was printed sends nothing, and writes or removes no file.
    Status status = documentOpen_ ? finishDocument() : Status();
    documentOpen_ = false;
    pageOpen_ = false;
    pageBreakPending_ = false;
    x_ = 0;
    y_ = 0;
    return status;
}

Status PrintSurface::SetLineWidth(int printerPixels) {
    if (printerPixels < 1)
        return Status::failure("Invalid line width");
    lineWidth_ = printerPixels;
    return {};
}

Status PrintSurface::DrawLine(double x1, double y1, double x2, double y2) {
    Status status = ensurePage();
    keepFirstFailure(status, drawLine(x1, y1, x2, y2, lineWidth_));
    return status;
}

int PrintSurface::FontCount() const {
    return static_cast<int>(offeredFaces().size());
}

std::string PrintSurface::FontNameAt(int index) const {
    const auto& faces = offeredFaces();
    if (index < 0 || index >= static_cast<int>(faces.size()))
        return {};
    return faces[static_cast<std::size_t>(index)];
}

double PrintSurface::measure(const std::string& text) const {
    return textWidth(firstCharacters(text, kMaxItemCharacters), font_);
}

Status PrintSurface::ShowPrinterSetup() {
    return printerSetup();
}

bool PrintSurface::offers(const std::string& face) const {
    std::vector<std::string> faces;
    const int count = FontCount();
    faces.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        faces.push_back(FontNameAt(i));
    return isFaceOffered(faces, face);
}

bool offersFace(const PrintSurface& surface, const std::string& face) {
    return surface.offers(face);
}

std::string chooseTextFont(const PrintSurface& surface) {
    return offersFace(surface, "Times New Roman") ? "Times New Roman" : "Helv";
}

} // namespace velmora::print
