#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// Renders MICR lines in MICR65 and reads them back with an independent E-13B reader (Tesseract and
// the shared e13b model), so that tests can judge whether the font is readable.
namespace velmora::testing {

// The text drawn at 12 pt and `dpi`, black on white with a white margin; each character is placed at
// its own 1/8 in pitch position, as a MICR line must be, rather than at the engine's rounded advance.
QImage renderMicrLine(const QString& text, int dpi);

// The same lines written to one PDF with QPdfWriter (so the font is embedded as a printer would get
// it) and rasterised by poppler's pdftoppm at `dpi` in pure black and white, as a printer puts dots
// on paper; one image per line. Empty when pdftoppm fails.
std::vector<QImage> renderMicrLinesThroughPdf(const QStringList& lines, int dpi);

// The folder of the e13b model, or an explanation of why the reader cannot run.
struct MicrReader {
    QString modelDir;
    QString unavailable; // empty when the reader can run
};
MicrReader findMicrReader();

// What the reader makes of each image (spaces removed), in order; nothing when Tesseract fails.
std::optional<QStringList> readMicrLines(const MicrReader& reader, const std::vector<QImage>& images);

// Levenshtein distance between two texts.
int editDistance(const QString& a, const QString& b);

} // namespace velmora::testing
