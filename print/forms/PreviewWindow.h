#pragma once

#include "print/PageImage.h"
#include "print/PageSource.h"

#include <QDialog>
#include <QImage>
#include <QRectF>
#include <cstdint>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QScrollArea;
class QSpinBox;
class QToolBar;

namespace velmora::print {

// Where the printer puts a page on the paper, in inches from the paper's top-left corner.
struct PaperLayout {
    QPointF origin;                  // the printable origin
    std::optional<QRectF> printable; // the printable area, when the printer is known
};

// One page of a preview, drawn when it is shown: the image of the page on screen is all it keeps.
class PreviewPage : public QWidget {
public:
    PreviewPage(PageSource& pages, PaperLayout paper, QWidget* parent = nullptr);

    // Shows `page` at `pixelsPerInch` (of the screen's logical pixels); draws it unless it is the
    // page already shown at that size.
    void showPage(std::int64_t page, double pixelsPerInch);
    std::int64_t page() const { return page_; }
    double pixelsPerInch() const { return pixelsPerInch_; }
    // The page as last drawn (null before the first, or when it could not be drawn).
    const QImage& image() const { return image_; }
    // Why the page shown could not be drawn; empty when it was.
    const QString& failure() const { return failure_; }
    // How many times a page has been drawn, for a look at what the preview costs.
    std::int64_t pagesDrawn() const { return drawn_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PageSource& pages_;
    PaperLayout paper_;
    PageImageSurface surface_;
    std::int64_t page_ = -1;
    double pixelsPerInch_ = 0;
    QImage image_;
    QString failure_;
    std::int64_t drawn_ = 0;
};

// The print preview of a run: one page at a time, drawn only when shown, so that a run of any size
// opens at once and holds no more than the page on screen. Zoom (steps, fit width, fit page), the
// page number box, first / previous / next / last page, and Print, which closes the preview and
// prints the run as the Print button does.
class PreviewWindow : public QDialog {
public:
    enum class Fit { None, Width, Page };

    PreviewWindow(PageSource& pages, PaperLayout paper, QWidget* parent = nullptr);

    std::int64_t pageCount() const { return pageCount_; }
    std::int64_t currentPage() const { return view_->page(); }
    void showPage(std::int64_t page);
    // 1 is the paper's actual size on the screen.
    double zoom() const { return zoom_; }
    void setZoom(double zoom);
    void setFit(Fit fit);
    Fit fit() const { return fit_; }
    // Print was chosen: the caller prints the run once the preview has closed.
    bool printRequested() const { return printRequested_; }
    const PreviewPage& page() const { return *view_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The tool bar: the page moves, the page number, the zoom, Print and Close.
    QToolBar* buildTools();
    void refresh();
    double fittedZoom() const;
    void zoomBy(int steps);

    std::int64_t pageCount_ = 0;
    double zoom_ = 1;
    Fit fit_ = Fit::Width;
    bool printRequested_ = false;
    QScrollArea* area_ = nullptr;
    PreviewPage* view_ = nullptr;
    QSpinBox* pageBox_ = nullptr;
    QLabel* pageTotal_ = nullptr;
    QComboBox* zoomBox_ = nullptr;
    QLabel* status_ = nullptr;
    QAction* first_ = nullptr;
    QAction* previous_ = nullptr;
    QAction* next_ = nullptr;
    QAction* last_ = nullptr;
    QAction* fitWidth_ = nullptr;
    QAction* fitPage_ = nullptr;
};

} // namespace velmora::print
