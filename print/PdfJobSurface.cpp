#include "print/PdfJobSurface.h"

#include "print/FontCatalog.h"
#include "print/PdfDocument.h"

namespace velmora::print {

namespace {
constexpr double kTwipsPerPoint = 20;
constexpr double kPointsPerInch = 72;
} // namespace

PdfJobSurface::PdfJobSurface() = default;
PdfJobSurface::~PdfJobSurface() = default;

void PdfJobSurface::abandonJob() {
    if (!document_)
        return;
    document_.reset();
    jobClosed();
}

Status PdfJobSurface::jobFailure() const {
    return Status::failure(failure_.empty() ? std::string("The print job could not be started") : failure_);
}

Status PdfJobSurface::beginDocument() {
    failure_.clear();
    Status prepared;
    QIODevice* device = openJob(prepared);
    if (!device) {
        failure_ = prepared.ok() ? jobStartFailure() : prepared.message();
        return jobFailure();
    }
    origin_ = printableOrigin();
    pointsPerLinePixel_ = kPointsPerInch / linePixelsPerInch();
    jobFaces_.clear();
    document_ = std::make_unique<PdfDocument>(*device, kLetterWidthPoints, kLetterHeightPoints);
    document_->beginPage();
    return {};
}

Status PdfJobSurface::beginPage() {
    if (!document_)
        return jobFailure();
    document_->beginPage();
    return {};
}

Status PdfJobSurface::finishDocument() {
    if (!document_) {
        Status failed = jobFailure();
        failure_.clear();
        return failed;
    }
    const Status written = document_->finish();
    const int pages = document_->pageCount();
    document_.reset();
    Status completed = completeJob(pages, written);
    jobClosed();
    return completed;
}

int PdfJobSurface::documentFace(const FontState& font) {
    for (const JobFace& known : jobFaces_) {
        if (known.bold == font.bold && known.italic == font.italic && known.face == font.face)
            return known.number;
    }
    const int number = document_->face(metrics_.rawFont(font));
    jobFaces_.push_back({font.face, font.bold, font.italic, number});
    return number;
}

Status PdfJobSurface::drawText(double x, double y, const std::string& text, const FontState& font) {
    if (!document_)
        return jobFailure();
    const int face = documentFace(font);
    const FontMetrics::ShapedText& shaped = metrics_.shape(text, font);
    if (shaped.glyphs.empty())
        return {};
    // y is the top of the character cell; glyphs sit on the baseline one ascent below it.
    const QPointF baseline(origin_.x() + x / kTwipsPerPoint,
                           origin_.y() + (y + metrics_.ascent(font)) / kTwipsPerPoint);
    document_->showText(face, font.points, baseline, shaped, text);
    return {};
}

Status PdfJobSurface::drawLine(double x1, double y1, double x2, double y2, int width) {
    if (!document_)
        return jobFailure();
    document_->drawLine(origin_ + QPointF(x1, y1) / kTwipsPerPoint,
                        origin_ + QPointF(x2, y2) / kTwipsPerPoint, width * pointsPerLinePixel_);
    return {};
}

double PdfJobSurface::textWidth(const std::string& text, const FontState& font) const {
    return metrics_.textWidth(text, font);
}

double PdfJobSurface::lineHeight(const FontState& font) const {
    return metrics_.lineHeight(font);
}

bool PdfJobSurface::offers(const std::string& face) const {
    return isOfferedFaceName(face);
}

const std::vector<std::string>& PdfJobSurface::offeredFaces() const {
    if (!faces_)
        faces_ = offeredFaceNames();
    return *faces_;
}

} // namespace velmora::print
