#pragma once

#include "base/Result.h"
#include "db/Money.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace velmora::print {

// One item of a PrintItems call: text prints as it stands; a number (a check number or an amount)
// prints as " " (or "-" when negative), its shortest plain decimal text, and " ".
using PrintItem = std::variant<std::string, std::int64_t, db::Money>;

// The text a PrintItem puts on the page. Safe for every value, the most negative included.
std::string printedText(const PrintItem& item);

// No line of any printed product holds more characters than this, even in the narrowest face and
// size on the widest page; a longer text item is cut to it before it is measured or shaped, so a
// damaged or absurd field costs no more than a normal one.
inline constexpr std::size_t kMaxItemCharacters = 400;
// `text` cut to at most `characters` UTF-8 characters, never inside one.
std::string firstCharacters(const std::string& text, std::size_t characters);

enum class LineEnding { Stay, EndLine };

// The part of a letter page that a printer can print on, in twips from the printable origin, and
// where that origin lies on the paper (twips from the paper's top-left corner).
struct PrintableArea {
    double width = 0;
    double height = 0;
    double left = 0;
    double top = 0;
};

// The page every printed product is drawn on. Coordinates are twips (1440 to the inch) from the
// top-left corner of the printable area, y downwards; y is the top of the next line's character
// cell. Font, size, style, position and line width persist from one operation to the next, across
// pages and jobs. The rules (items, line advance, page and job boundaries) live here once; a back
// end only draws runs of text and lines and measures them.
class PrintSurface {
public:
    virtual ~PrintSurface() = default;

    Status SetFontName(const std::string& face);
    Status SetFontSize(double points);
    Status SetBold(bool on);
    Status SetItalic(bool on);
    Status SetX(double twips);
    Status SetY(double twips);
    Status PrintItems(const std::vector<PrintItem>& items, LineEnding ending);
    Status NewPage();
    Status EndDocument();
    Status SetLineWidth(int printerPixels);
    Status DrawLine(double x1, double y1, double x2, double y2);
    int FontCount() const;
    std::string FontNameAt(int index) const;
    // Whether FontNameAt gives exactly `face` for some index: the whole list is scanned. A back end
    // that can tell without listing every face answers so, with the same answer.
    virtual bool offers(const std::string& face) const;
    Status ShowPrinterSetup();

    // Width in twips of `text` in the current font, as PrintItems would print it.
    double measure(const std::string& text) const;
    // The file the surface's jobs are written to, when it writes one (std::nullopt for a printer).
    virtual std::optional<std::filesystem::path> outputFile() const { return std::nullopt; }
    // Whether a job can be started at all: a failure names what is missing (no printer chosen).
    virtual Status ready() const { return {}; }
    // What of the page prints, seen from the printable origin; std::nullopt when the surface does not
    // know (a recording).
    virtual std::optional<PrintableArea> printableArea() const { return std::nullopt; }

    // The current state, for layouts and tests.
    struct FontState {
        std::string face;
        double points = 12;
        bool bold = false;
        bool italic = false;
    };
    const FontState& font() const { return font_; }
    double x() const { return x_; }
    double y() const { return y_; }
    int lineWidth() const { return lineWidth_; }
    bool documentOpen() const { return documentOpen_; }

protected:
    // Back-end primitives. Positions are twips; y is the top of the character cell.
    virtual Status beginDocument() = 0;
    virtual Status beginPage() = 0;      // the first output on a new sheet after the first
    virtual Status finishDocument() = 0; // sends the job
    virtual Status drawText(double x, double y, const std::string& text, const FontState& font) = 0;
    virtual Status drawLine(double x1, double y1, double x2, double y2, int width) = 0;
    virtual double textWidth(const std::string& text, const FontState& font) const = 0;
    virtual double lineHeight(const FontState& font) const = 0;
    virtual const std::vector<std::string>& offeredFaces() const = 0;
    virtual Status printerSetup() { return {}; }

private:
    Status ensurePage();

    FontState font_;
    double x_ = 0;
    double y_ = 0;
    int lineWidth_ = 1;
    bool documentOpen_ = false;
    bool pageOpen_ = false;
    bool pageBreakPending_ = false;
};

// "Times New Roman" when the surface offers a face of exactly that name, otherwise "Helv".
std::string chooseTextFont(const PrintSurface& surface);
// True when the surface offers a face named exactly `face` (case-sensitive; the whole list is scanned).
bool offersFace(const PrintSurface& surface, const std::string& face);

} // namespace velmora::print
