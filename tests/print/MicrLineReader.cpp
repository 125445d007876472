#include "MicrLineReader.h"

#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

namespace velmora::testing {
namespace {

constexpr double kPointSize = 12;
constexpr double kPitchInches = 0.125;
constexpr double kMarginInches = 0.15;
// Room above the baseline for the 0.117 in characters, and a little below it.
constexpr double kAboveBaselineInches = 0.13;
constexpr double kLineHeightInches = kAboveBaselineInches + 0.02;

QFont micrFont() {
    QFont font(QStringLiteral("MICR65"));
    font.setPointSizeF(kPointSize);
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

// Draws the line with its left edge at x and its baseline at y, both in device pixels.
void drawMicrLine(QPainter& painter, const QString& text, double x, double baseline, double dpi) {
    for (qsizetype i = 0; i < text.size(); ++i)
        painter.drawText(QPointF(x + static_cast<double>(i) * kPitchInches * dpi, baseline),
                         QString(text[i]));
}

} // namespace

QImage renderMicrLine(const QString& text, int dpi) {
    const int width =
        static_cast<int>((2 * kMarginInches + static_cast<double>(text.size()) * kPitchInches) * dpi);
    const int height = static_cast<int>((2 * kMarginInches + kLineHeightInches) * dpi);
    QImage image(width, height, QImage::Format_Grayscale8);
    image.setDotsPerMeterX(static_cast<int>(dpi / 0.0254));
    image.setDotsPerMeterY(static_cast<int>(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.setFont(micrFont());
    drawMicrLine(painter, text, kMarginInches * dpi, (kMarginInches + kAboveBaselineInches) * dpi, dpi);
    return image;
}

std::vector<QImage> renderMicrLinesThroughPdf(const QStringList& lines, int dpi) {
    TempDir dir;
    const QString pdf = QString::fromStdString((dir / "lines.pdf").string());
    constexpr int kPdfResolution = 1200;
    const double lineStep = kLineHeightInches + 2 * kMarginInches;
    qsizetype longest = 0;
    for (const QString& line : lines)
        longest = std::max(longest, line.size());
    const double lineWidth = 2 * kMarginInches + static_cast<double>(longest) * kPitchInches;
    {
        QPdfWriter writer(pdf);
        writer.setResolution(kPdfResolution);
        writer.setPageSize(
            QPageSize(QSizeF(lineWidth, lineStep * static_cast<double>(lines.size())), QPageSize::Inch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        painter.setPen(Qt::black);
        painter.setFont(micrFont());
        for (qsizetype i = 0; i < lines.size(); ++i)
            drawMicrLine(painter, lines[i], kMarginInches * kPdfResolution,
                         (static_cast<double>(i) * lineStep + kMarginInches + kAboveBaselineInches) *
                             kPdfResolution,
                         kPdfResolution);
    }
    const QString prefix = QString::fromStdString((dir / "page").string());
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"),
                   {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-aa"), QStringLiteral("no"),
                    QStringLiteral("-aaVector"), QStringLiteral("no"), QStringLiteral("-gray"),
                    QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, prefix});
    if (!pdftoppm.waitForFinished(60000) || pdftoppm.exitStatus() != QProcess::NormalExit ||
        pdftoppm.exitCode() != 0)
        return {};
    const QImage page(prefix + QStringLiteral(".png"));
    if (page.isNull())
        return {};
    std::vector<QImage> images;
    const int step = static_cast<int>(lineStep * dpi);
    for (qsizetype i = 0; i < lines.size(); ++i)
        images.push_back(page.copy(0, static_cast<int>(i) * step, page.width(), step));
    return images;
}

MicrReader findMicrReader() {
    const QString modelDir = QStringLiteral(VELMORA_SHARED_DIR "/e13b-ocr");
    if (!QFile::exists(modelDir + QStringLiteral("/e13b.traineddata")))
        return {{}, QStringLiteral("the E-13B reader model is not in ") + modelDir};
    if (QStandardPaths::findExecutable(QStringLiteral("tesseract")).isEmpty())
        return {{}, QStringLiteral("the tesseract program is not installed (Debian package tesseract-ocr)")};
    return {modelDir, {}};
}

std::optional<QStringList> readMicrLines(const MicrReader& reader, const std::vector<QImage>& images) {
    // One Tesseract run over a list of images: the model loads once and the pages come back
    // separated by form feeds.
    TempDir dir;
    QFile list(QString::fromStdString((dir / "images.txt").string()));
    if (!list.open(QIODevice::WriteOnly))
        return std::nullopt;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const QString file = QString::fromStdString((dir / ("line" + std::to_string(i) + ".png")).string());
        if (!images[i].save(file))
            return std::nullopt;
        list.write(file.toUtf8() + '\n');
    }
    list.close();
    QProcess tesseract;
    // Tesseract's OpenMP threads cost far more than they save on lines this small.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    tesseract.setProcessEnvironment(environment);
    tesseract.start(QStringLiteral("tesseract"),
                    {list.fileName(), QStringLiteral("-"), QStringLiteral("--tessdata-dir"), reader.modelDir,
                     QStringLiteral("-l"), QStringLiteral("e13b"), QStringLiteral("--psm"),
                     QStringLiteral("7")});
    if (!tesseract.waitForFinished(120000) || tesseract.exitStatus() != QProcess::NormalExit ||
        tesseract.exitCode() != 0)
        return std::nullopt;
    QStringList pages = QString::fromUtf8(tesseract.readAllStandardOutput()).split(QChar('\f'));
    if (pages.size() == static_cast<qsizetype>(images.size()) + 1 && pages.back().trimmed().isEmpty())
        pages.removeLast();
    if (pages.size() != static_cast<qsizetype>(images.size()))
        return std::nullopt;
    for (QString& page : pages)
        page.remove(QRegularExpression(QStringLiteral("\\s")));
    return pages;
}

int editDistance(const QString& a, const QString& b) {
    std::vector<int> row(static_cast<std::size_t>(b.size()) + 1);
    for (std::size_t j = 0; j < row.size(); ++j)
        row[j] = static_cast<int>(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = static_cast<int>(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const auto uj = static_cast<std::size_t>(j);
            const int substitution = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            diagonal = row[uj];
            row[uj] = std::min({row[uj] + 1, row[uj - 1] + 1, substitution});
        }
    }
    return row.back();
}

} // namespace velmora::testing
