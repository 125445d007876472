#include "print/forms/PreviewWindow.h"

#include "print/RecordingSurface.h"
#include "print/forms/PrinterControlScreen.h"
#include "print/forms/PrinterScreens.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

namespace velmora {
namespace {

using print::PreviewWindow;

using testing::child;

// Dark pixels of the page image inside a rectangle given in inches from the paper's corner.
int inkAt(const QImage& page, double left, double top, double width, double height) {
    const double dpi = page.width() / 8.5;
    int dark = 0;
    for (int y = static_cast<int>(top * dpi); y < static_cast<int>((top + height) * dpi); ++y)
        for (int x = static_cast<int>(left * dpi); x < static_cast<int>((left + width) * dpi); ++x)
            dark += qGray(page.pixel(x, y)) < 128 ? 1 : 0;
    return dark;
}

class PreviewWindowTest : public testing::PrinterScreensFixture {
protected:
    PreviewWindowTest()
        : surface({"Times New Roman", "MICR65"}) {}
    // `count` one-time checks, numbered from 5001, written at once.
    void addChecks(int count) {
        db::Statement insert(
            database.connection(),
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?1) "
            "INSERT INTO Account (PayTo, Amount, \"Check\", ABA, Account, Print) "
            "SELECT 'Payee ' || i, 1000 + i, 5000 + i, '071000013', '12D345', 'Once' FROM n");
        insert.bind(1, count);
        insert.run();
    }
    // Opens the preview of the one-time checks from the Printer Control Menu and hands it to `look`
    // while it is open.
    void preview(const std::function<void(PreviewWindow&)>& look) {
        print::PrinterControlScreen screen(session, navigator, &surface);
        ASSERT_TRUE(screen.load());
        QTest::mouseClick(child<QCheckBox>(screen, "Once"), Qt::LeftButton);
        bool looked = false;
        QTimer::singleShot(0, [&] {
            auto* window = screen.findChild<PreviewWindow*>("PrintPreview");
            if (!window)
                return;
            QApplication::processEvents();
            look(*window);
            looked = true;
            window->reject();
        });
        QTest::mouseClick(child<QPushButton>(screen, "PreviewButton"), Qt::LeftButton);
        EXPECT_TRUE(looked) << "the preview did not open";
    }

    print::RecordingSurface surface;
};

TEST_F(PreviewWindowTest, ALargeRunOpensOnItsFirstPageAndDrawsOnlyThePagesShown) {
    addChecks(30000);
    preview([](PreviewWindow& window) {
        EXPECT_EQ(window.pageCount(), 10000);
        EXPECT_EQ(child<QLabel>(window, "PageCount")->text(), " of 10000 ");
        // Only the first page was laid out, and its image is all the preview holds.
        const print::PreviewPage& page = window.page();
        EXPECT_EQ(page.pagesDrawn(), 1);
        EXPECT_EQ(window.currentPage(), 0);
        ASSERT_FALSE(page.image().isNull());
        EXPECT_LE(page.image().sizeInBytes(), 8.5 * 300 * 11 * 300 * 4);
        // The first check's payee line and MICR line are on it, from the quarter-inch origin.
        EXPECT_GT(inkAt(page.image(), 0.25 + 525 / 1440.0, 0.25 + 2000 / 1440.0, 2, 0.15), 30);
        EXPECT_GT(inkAt(page.image(), 0.25 + 3855 / 1440.0, 0.25 + 4255 / 1440.0, 1, 0.15), 30);
        EXPECT_EQ(child<QSpinBox>(window, "PageNumber")->value(), 1);
        EXPECT_FALSE(child<QAction>(window, "PreviousPage")->isEnabled());

        // Any page at once: the last, one typed in the page box, the next by key.
        child<QAction>(window, "LastPage")->trigger();
        EXPECT_EQ(window.currentPage(), 9999);
        EXPECT_EQ(child<QSpinBox>(window, "PageNumber")->value(), 10000);
        EXPECT_FALSE(child<QAction>(window, "NextPage")->isEnabled());
        auto* box = child<QSpinBox>(window, "PageNumber");
        box->setValue(5000);
        EXPECT_EQ(window.currentPage(), 4999);
        child<QAction>(window, "NextPage")->trigger();
        EXPECT_EQ(window.currentPage(), 5000);
        child<QAction>(window, "FirstPage")->trigger();
        EXPECT_EQ(window.currentPage(), 0);
        EXPECT_EQ(page.pagesDrawn(), 5);
        EXPECT_TRUE(page.failure().isEmpty()) << page.failure().toStdString();
    });
}

TEST_F(PreviewWindowTest, ZoomFitsTheWidthOrThePageAndStepsThroughItsSizes) {
    addChecks(7);
    preview([](PreviewWindow& window) {
        EXPECT_EQ(window.pageCount(), 3);
        EXPECT_EQ(window.fit(), PreviewWindow::Fit::Width); // the page fills the window's width
        auto* area = child<QWidget>(window, "PreviewArea");
        const QWidget& page = window.page();
        EXPECT_GT(page.width(), area->width() * 3 / 4);
        EXPECT_LE(page.width(), area->width());
        child<QAction>(window, "FitPage")->trigger();
        EXPECT_EQ(window.fit(), PreviewWindow::Fit::Page);
        EXPECT_LE(page.height(), area->height()); // the whole page in view
        const double fitted = window.zoom();

        child<QAction>(window, "ZoomIn")->trigger();
        EXPECT_EQ(window.fit(), PreviewWindow::Fit::None);
        EXPECT_GT(window.zoom(), fitted);
        const double zoomed = window.zoom();
        EXPECT_EQ(child<QComboBox>(window, "Zoom")->currentText(),
                  QString::number(static_cast<int>(std::lround(zoomed * 100))) + "%");
        EXPECT_NEAR(page.width(), 8.5 * window.logicalDpiX() * zoomed, 1);
        child<QAction>(window, "ZoomOut")->trigger();
        child<QAction>(window, "ZoomOut")->trigger();
        EXPECT_LT(window.zoom(), zoomed);
        // A zoom typed into the box.
        auto* zoomBox = child<QComboBox>(window, "Zoom");
        zoomBox->lineEdit()->setText("150%");
        Q_EMIT zoomBox->lineEdit()->editingFinished();
        EXPECT_DOUBLE_EQ(window.zoom(), 1.5);
        EXPECT_NEAR(page.width(), 8.5 * window.logicalDpiX() * 1.5, 1);
        // The image is drawn again at the new size, still one page.
        EXPECT_FALSE(window.page().image().isNull());
        EXPECT_EQ(window.currentPage(), 0);
    });
}

TEST_F(PreviewWindowTest, EachButtonShowsItsAccessKeyAndAnswersIt) {
    addChecks(7);
    preview([](PreviewWindow& window) {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        auto* next = qobject_cast<QToolButton*>(
            child<QToolBar>(window, "PreviewTools")->widgetForAction(child<QAction>(window, "NextPage")));
        ASSERT_NE(next, nullptr);
        EXPECT_EQ(next->text(), "&Next"); // drawn with the N underlined
        QTest::keyClick(&window, Qt::Key_N, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return window.currentPage() == 1; }, 2000));
        QTest::keyClick(&window, Qt::Key_F, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return window.currentPage() == 0; }, 2000));
    });
}

} // namespace
} // namespace velmora
