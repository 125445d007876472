#include "print/forms/PreviewWindow.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>

namespace velmora::print {

namespace {

constexpr std::array kZoomSteps{0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};
constexpr double kSmallestZoom = 0.1;
constexpr double kLargestZoom = 4.0;
// Beyond this the page image is not drawn finer but scaled up on screen: a letter page at 300
// dots per inch is 32 MB, and the preview keeps only that one image.
constexpr double kFinestImageDpi = 300;
// Room around the page in the scroll area, in pixels.
constexpr int kPaperMargin = 12;

QString percent(double zoom) {
    return QString::number(static_cast<int>(std::lround(zoom * 100))) + "%";
}

} // namespace

PreviewPage::PreviewPage(PageSource& pages, PaperLayout paper, QWidget* parent)
    : QWidget(parent)
    , pages_(pages)
    , paper_(paper)
    , surface_(kFinestImageDpi, paper_.origin) {
    setObjectName("PreviewPage");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewPage::showPage(std::int64_t page, double pixelsPerInch) {
    if (page == page_ && pixelsPerInch == pixelsPerInch_)
        return;
    page_ = page;
    pixelsPerInch_ = pixelsPerInch;
    setFixedSize(static_cast<int>(std::lround(PageImageSurface::kPaperWidthInches * pixelsPerInch)),
                 static_cast<int>(std::lround(PageImageSurface::kPaperHeightInches * pixelsPerInch)));
    const double ratio = devicePixelRatioF();
    const double imageDpi = std::min(pixelsPerInch * ratio, kFinestImageDpi);
    surface_.setDotsPerInch(imageDpi);
    Result<QImage> drawn = surface_.render(pages_, page);
    ++drawn_;
    if (drawn) {
        image_ = std::move(drawn.value());
        image_.setDevicePixelRatio(imageDpi / pixelsPerInch);
        failure_.clear();
    } else {
        image_ = QImage();
        failure_ = QString::fromStdString(drawn.message());
    }
    update();
}

void PreviewPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!image_.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(rect()), image_);
    }
    if (paper_.printable) {
        // Where the printer stops printing: what lies outside this frame is lost on paper.
        const QRectF& area = *paper_.printable;
        QPen frame(QColor(160, 160, 220));
        frame.setStyle(Qt::DashLine);
        painter.setPen(frame);
        painter.drawRect(QRectF(area.left() * pixelsPerInch_, area.top() * pixelsPerInch_,
                                area.width() * pixelsPerInch_, area.height() * pixelsPerInch_));
    }
    painter.setPen(Qt::darkGray);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!failure_.isEmpty()) {
        painter.setPen(Qt::darkRed);
        painter.drawText(rect().adjusted(24, 24, -24, -24), Qt::AlignTop | Qt::TextWordWrap, failure_);
    }
}

PreviewWindow::PreviewWindow(PageSource& pages, PaperLayout paper, QWidget* parent)
    : QDialog(parent)
    , pageCount_(pages.pageCount()) {
    setObjectName("PrintPreview");
    setWindowTitle("Print Preview");

    QToolBar* bar = buildTools();

    area_ = new QScrollArea(this);
    area_->setObjectName("PreviewArea");
    area_->setBackgroundRole(QPalette::Dark);
    area_->setAlignment(Qt::AlignCenter);
    view_ = new PreviewPage(pages, paper);
    auto* holder = new QWidget;
    auto* holderLayout = new QVBoxLayout(holder);
    holderLayout->setContentsMargins(kPaperMargin, kPaperMargin, kPaperMargin, kPaperMargin);
    holderLayout->addWidget(view_, 0, Qt::AlignCenter);
    area_->setWidget(holder);
    area_->setWidgetResizable(true);

    status_ = new QLabel(this);
    status_->setObjectName("PreviewStatus");
    status_->setWordWrap(true);
    if (pageCount_ == 0)
        status_->setText("Nothing to print: no record matches the selection.");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(area_, 1);
    layout->addWidget(status_);

    const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    resize(std::min(900, screen.width() * 9 / 10), std::min(1000, screen.height() * 9 / 10));
}

QToolBar* PreviewWindow::buildTools() {
    auto* bar = new QToolBar(this);
    bar->setObjectName("PreviewTools");
    // Each tool button shows its caption with the access key underlined and answers Alt and that
    // letter itself (an action's own text loses its mark on a tool button); the action keeps the
    // usual key of a document viewer.
    const auto action = [&](const char* name, const QString& caption, const QKeySequence& key, auto handler) {
        QAction* added = bar->addAction(caption, this, handler);
        added->setObjectName(name);
        added->setIconText(caption);
        added->setToolTip(QString(caption).remove('&'));
        if (!key.isEmpty())
            added->setShortcut(key);
        return added;
    };
    first_ = action("FirstPage", "&First", QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { showPage(0); });
    previous_ = action("PreviousPage", "Pre&vious", QKeySequence(QKeySequence::MoveToPreviousPage),
                       [this] { showPage(currentPage() - 1); });
    auto* pageLabel = new QLabel(" Pa&ge ", this);
    bar->addWidget(pageLabel);
    pageBox_ = new QSpinBox(this);
    pageBox_->setObjectName("PageNumber");
    pageLabel->setBuddy(pageBox_);
    pageBox_->setRange(pageCount_ > 0 ? 1 : 0,
                       static_cast<int>(std::min<std::int64_t>(pageCount_, INT32_MAX)));
    pageBox_->setKeyboardTracking(false);
    pageBox_->setAccessibleName("Page number");
    bar->addWidget(pageBox_);
    pageTotal_ = new QLabel(QString(" of %1 ").arg(pageCount_), this);
    pageTotal_->setObjectName("PageCount");
    bar->addWidget(pageTotal_);
    next_ = action("NextPage", "&Next", QKeySequence(QKeySequence::MoveToNextPage),
                   [this] { showPage(currentPage() + 1); });
    last_ = action("LastPage", "&Last", QKeySequence(Qt::CTRL | Qt::Key_End),
                   [this] { showPage(pageCount_ - 1); });
    bar->addSeparator();
    action("ZoomOut", "Zoom &Out", QKeySequence(QKeySequence::ZoomOut), [this] { zoomBy(-1); });
    zoomBox_ = new QComboBox(this);
    zoomBox_->setObjectName("Zoom");
    zoomBox_->setEditable(true);
    zoomBox_->setInsertPolicy(QComboBox::NoInsert);
    zoomBox_->setAccessibleName("Zoom");
    for (const double step : kZoomSteps)
        zoomBox_->addItem(percent(step));
    bar->addWidget(zoomBox_);
    action("ZoomIn", "Zoom &In", QKeySequence(QKeySequence::ZoomIn), [this] { zoomBy(1); });
    fitWidth_ = action("FitWidth", "Fit &Width", QKeySequence(), [this] { setFit(Fit::Width); });
    fitPage_ = action("FitPage", "Fit P&age", QKeySequence(), [this] { setFit(Fit::Page); });
    fitWidth_->setCheckable(true);
    fitPage_->setCheckable(true);
    bar->addSeparator();
    action("PrintFromPreview", "&Print", QKeySequence(QKeySequence::Print), [this] {
        printRequested_ = true;
        accept();
    });
    action("ClosePreview", "&Close", QKeySequence(), [this] { reject(); });

    connect(pageBox_, &QSpinBox::valueChanged, this, [this](int value) { showPage(value - 1); });
    connect(zoomBox_, &QComboBox::activated, this, [this](int index) { setZoom(kZoomSteps.at(index)); });
    connect(zoomBox_->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        QString typed = zoomBox_->currentText().trimmed();
        typed.remove('%');
        bool number = false;
        const double value = typed.toDouble(&number);
        if (number && value > 0)
            setZoom(value / 100);
        else
            refresh(); // back to the zoom in effect
    });
    return bar;
}

void PreviewWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    refresh();
    // The keys go to the page (scrolling, page keys), not to the page number box.
    area_->setFocus();
}

void PreviewWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (fit_ != Fit::None && isVisible())
        refresh();
}

void PreviewWindow::showPage(std::int64_t page) {
    if (pageCount_ == 0)
        return;
    const std::int64_t wanted = std::clamp<std::int64_t>(page, 0, pageCount_ - 1);
    if (wanted == currentPage())
        return;
    view_->showPage(wanted, zoom_ * logicalDpiX());
    area_->verticalScrollBar()->setValue(0);
    refresh();
}

void PreviewWindow::setZoom(double zoom) {
    fit_ = Fit::None;
    zoom_ = std::clamp(zoom, kSmallestZoom, kLargestZoom);
    refresh();
}

void PreviewWindow::setFit(Fit fit) {
    fit_ = fit;
    refresh();
}

void PreviewWindow::zoomBy(int steps) {
    // The next step up or down from the zoom in effect, whether it is a step or a fitted one.
    double zoom = zoom_;
    if (steps > 0) {
        const auto* above = std::upper_bound(kZoomSteps.begin(), kZoomSteps.end(), zoom_ + 1e-9);
        zoom = above == kZoomSteps.end() ? kZoomSteps.back() : *above;
    } else {
        const auto* below = std::lower_bound(kZoomSteps.begin(), kZoomSteps.end(), zoom_ - 1e-9);
        zoom = below == kZoomSteps.begin() ? kZoomSteps.front() : *(below - 1);
    }
    setZoom(zoom);
}

double PreviewWindow::fittedZoom() const {
    const QSize room = area_->maximumViewportSize() - QSize(2 * kPaperMargin, 2 * kPaperMargin);
    const double dpi = logicalDpiX();
    const double acrossPage = PageImageSurface::kPaperWidthInches * dpi;
    const double downPage = PageImageSurface::kPaperHeightInches * dpi;
    // A page fitted to the width is taller than the view: its vertical scroll bar takes room.
    const double width = room.width() - area_->verticalScrollBar()->sizeHint().width();
    if (fit_ == Fit::Width)
        return std::clamp(width / acrossPage, kSmallestZoom, kLargestZoom);
    return std::clamp(std::min(room.width() / acrossPage, room.height() / downPage), kSmallestZoom,
                      kLargestZoom);
}

void PreviewWindow::refresh() {
    if (fit_ != Fit::None)
        zoom_ = fittedZoom();
    if (pageCount_ > 0)
        view_->showPage(std::max<std::int64_t>(currentPage(), 0), zoom_ * logicalDpiX());
    const std::int64_t page = currentPage();
    {
        const QSignalBlocker quiet(pageBox_);
        pageBox_->setValue(static_cast<int>(page + 1));
    }
    const bool any = pageCount_ > 0;
    first_->setEnabled(any && page > 0);
    previous_->setEnabled(any && page > 0);
    next_->setEnabled(any && page < pageCount_ - 1);
    last_->setEnabled(any && page < pageCount_ - 1);
    pageBox_->setEnabled(any);
    fitWidth_->setChecked(fit_ == Fit::Width);
    fitPage_->setChecked(fit_ == Fit::Page);
    if (!zoomBox_->lineEdit()->hasFocus())
        zoomBox_->setEditText(percent(zoom_));
    if (any)
        status_->setText(view_->failure());
}

} // namespace velmora::print
