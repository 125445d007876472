#include "print/PainterSurface.h"

#include "print/FontCatalog.h"

#include <QGlyphRun>
#include <QPagedPaintDevice>
#include <QPen>

namespace velmora::print {

PainterSurface::~PainterSurface() = default;

void PainterSurface::abandonJob() {
    if (painter_.isActive())
        painter_.end();
    if (device_)
        jobClosed();
    device_ = nullptr;
}

Status PainterSurface::jobFailure() const {
    return Status::failure(failure_.empty() ? std::string("The print job could not be started") : failure_);
}

Status PainterSurface::beginDocument() {
    failure_.clear();
    Status prepared;
    device_ = openJob(prepared);
    if (!device_) {
        failure_ = prepared.ok() ? jobStartFailure() : prepared.message();
        return jobFailure();
    }
    if (!painter_.begin(device_)) {
        failure_ = jobStartFailure();
        jobClosed();
        device_ = nullptr;
        return jobFailure();
    }
    // The painter works in dots of the font metrics' reference resolution from the printable
    // origin, whatever the device's own resolution.
    const QPointF origin = printableOrigin(*device_);
    const QPointF dpi = resolution(*device_);
    painter_.translate(origin);
    painter_.scale(dpi.x() / FontMetrics::referenceDpi, dpi.y() / FontMetrics::referenceDpi);
    penDotsPerPixel_ = FontMetrics::referenceDpi / linePixelsPerInch(*device_);
    painter_.setPen(QPen(Qt::black));
    painter_.setBrush(Qt::NoBrush);
    jobPages_ = 1;
    return {};
}

QPointF PainterSurface::resolution(const QPaintDevice& device) const {
    return {static_cast<double>(device.logicalDpiX()), static_cast<double>(device.logicalDpiY())};
}

Status PainterSurface::beginPage() {
    if (!painter_.isActive())
        return jobFailure();
    auto* paged = dynamic_cast<QPagedPaintDevice*>(device_);
    if (!paged || !paged->newPage())
        return Status::failure("The printer could not start a new page");
    ++jobPages_;
    return {};
}

Status PainterSurface::finishDocument() {
    if (!painter_.isActive()) {
        Status failed = jobFailure();
        failure_.clear();
        return failed;
    }
    const bool written = painter_.end();
    Status completed =
        written ? completeJob(jobPages_) : Status::failure("The print job could not be completed");
    jobClosed();
    device_ = nullptr;
    return completed;
}

Status PainterSurface::drawText(double x, double y, const std::string& text, const FontState& font) {
    if (!painter_.isActive())
        return jobFailure();
    const FontMetrics::ShapedText& shaped = metrics_.shape(text, font);
    if (shaped.glyphs.empty())
        return {};
    QGlyphRun run;
    run.setRawFont(metrics_.rawFont(font));
    run.setGlyphIndexes(QList<quint32>(shaped.glyphs.begin(), shaped.glyphs.end()));
    QList<QPointF> positions;
    positions.reserve(static_cast<qsizetype>(shaped.offsets.size()));
    for (const double offset : shaped.offsets)
        positions.append(QPointF(offset, 0));
    run.setPositions(positions);
    // y is the top of the character cell; glyphs sit on the baseline one ascent below it.
    const double baseline = y + metrics_.ascent(font);
    painter_.drawGlyphRun(QPointF(x / FontMetrics::twipsPerDot, baseline / FontMetrics::twipsPerDot), run);
    return {};
}

Status PainterSurface::drawLine(double x1, double y1, double x2, double y2, int width) {
    if (!painter_.isActive())
        return jobFailure();
    QPen pen(Qt::black);
    pen.setWidthF(width * penDotsPerPixel_);
    painter_.setPen(pen);
    const double dot = FontMetrics::twipsPerDot;
    painter_.drawLine(QPointF(x1 / dot, y1 / dot), QPointF(x2 / dot, y2 / dot));
    return {};
}

double PainterSurface::textWidth(const std::string& text, const FontState& font) const {
    return metrics_.textWidth(text, font);
}

double PainterSurface::lineHeight(const FontState& font) const {
    return metrics_.lineHeight(font);
}

bool PainterSurface::offers(const std::string& face) const {
    return isOfferedFaceName(face);
}

const std::vector<std::string>& PainterSurface::offeredFaces() const {
    if (!faces_)
        faces_ = offeredFaceNames();
    return *faces_;
}

} // namespace velmora::print
