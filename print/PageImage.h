#pragma once

#include "print/PageSource.h"
#include "print/PainterSurface.h"

#include <QImage>
#include <QPointF>

namespace velmora::print {

// Draws single pages of a product into images of the whole letter sheet, as a printer would print
// them: white paper, the product's twips from a printable origin given in inches from the paper's
// top-left corner. A preview keeps only the images of the pages it shows.
class PageImageSurface : public PainterSurface {
public:
    static constexpr double kPaperWidthInches = 8.5;
    static constexpr double kPaperHeightInches = 11;

    // `dotsPerInch` of the image; `originInches` the printable origin on the sheet.
    PageImageSurface(double dotsPerInch, QPointF originInches);
    ~PageImageSurface() override;

    double dotsPerInch() const { return dotsPerInch_; }
    // The resolution of the next images.
    void setDotsPerInch(double dotsPerInch) { dotsPerInch_ = dotsPerInch; }

    // Page `page` of `pages`, or why it could not be drawn.
    Result<QImage> render(PageSource& pages, std::int64_t page);

protected:
    QPaintDevice* openJob(Status& failure) override;
    QPointF printableOrigin(const QPaintDevice& device) const override;
    double linePixelsPerInch(const QPaintDevice& device) const override;
    QPointF resolution(const QPaintDevice& device) const override;
    std::string jobStartFailure() const override;

private:
    double dotsPerInch_;
    QPointF originInches_;
    QImage image_;
};

} // namespace velmora::print
