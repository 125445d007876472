#include "print/PageImage.h"

#include <cmath>

namespace velmora::print {

PageImageSurface::PageImageSurface(double dotsPerInch, QPointF originInches)
    : dotsPerInch_(dotsPerInch)
    , originInches_(originInches) {}

PageImageSurface::~PageImageSurface() {
    abandonJob();
}

Result<QImage> PageImageSurface::render(PageSource& pages, std::int64_t page) {
    const QSize size(static_cast<int>(std::lround(kPaperWidthInches * dotsPerInch_)),
                     static_cast<int>(std::lround(kPaperHeightInches * dotsPerInch_)));
    image_ = QImage(size, QImage::Format_RGB32);
    if (image_.isNull())
        return Result<QImage>::failure("There is not enough memory to show the page at this size.");
    image_.fill(Qt::white);
    const Status drawn = pages.drawPage(page, *this);
    // A page with nothing on it started no job; its image stays blank paper.
    const Status ended = EndDocument();
    if (!drawn)
        return drawn;
    if (!ended)
        return ended;
    return std::move(image_);
}

QPaintDevice* PageImageSurface::openJob(Status&) {
    return &image_;
}

QPointF PageImageSurface::printableOrigin(const QPaintDevice&) const {
    return originInches_ * dotsPerInch_;
}

double PageImageSurface::linePixelsPerInch(const QPaintDevice&) const {
    return pdfPixelsPerInch;
}

QPointF PageImageSurface::resolution(const QPaintDevice&) const {
    return {dotsPerInch_, dotsPerInch_};
}

std::string PageImageSurface::jobStartFailure() const {
    return "The page could not be drawn";
}

} // namespace velmora::print
