#include "app/forms/MicrInformationScreen.h"

#include "base/Product.h"
#include "widgets/ScreenButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace velmora::app {

namespace {

// clang-format off
const char* const kGeneralText = "MICR information always appears at the bottom of the check.  The Transit number is the only number to have unique Transit symbols before and after it. The check number and account numbers share the same symbol.";
const char* const kAccountNumberText = "The numbers that are left after the check and routing numbers have been identified.  Inclues all numbers before and after any spaces or dashes if they exist. You should enter spaces and dashes as the appear in the account number. Use an uppercase letter D to enter a dash on the MICR line.";
// clang-format on

// Where the column's connecting line runs, left of its text.
constexpr int kGutter = 18;
constexpr int kColumnWidth = 210;

QFont textFont(int points, bool bold = false) {
    QFont font("Times New Roman");
    font.setStyleHint(QFont::Serif);
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

// "A" prints the transit symbol, "C" the on-us symbol and "D" the dash.
QLabel* micrExample(const char* objectName, const char* text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    QFont font(product::kMicrFontName);
    font.setPointSize(16);
    label->setFont(font);
    return label;
}

QLabel* textLabel(const QString& text, const QFont& font, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// A read-only text box as wide as it is given and as high as its wrapped text.
QPlainTextEdit* textBox(const char* objectName, const char* text, int width, QWidget* parent) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(objectName);
    box->setFont(textFont(10));
    box->setReadOnly(true);
    box->setPlainText(text);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int margins = 2 * (box->frameWidth() + static_cast<int>(box->document()->documentMargin()));
    const QRect wrapped = box->fontMetrics().boundingRect(QRect(0, 0, width - margins, 10000),
                                                          Qt::TextWordWrap, QString::fromLatin1(text));
    box->setFixedSize(width, wrapped.height() + margins + box->fontMetrics().descent());
    return box;
}

// One number of the MICR line: its heading, what it is and, at the foot, an example of it. A line
// runs down the left side from the heading to the example.
class MicrColumn : public QWidget {
public:
    MicrColumn(const char* heading, QWidget* body, QLabel* example, QWidget* parent)
        : QWidget(parent)
        , heading_(textLabel(heading, textFont(11, true), this))
        , example_(example) {
        body->setParent(this);
        example->setParent(this);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(kGutter, 0, 0, 0);
        layout->addWidget(heading_);
        layout->addWidget(body);
        layout->addStretch();
        layout->addSpacing(8);
        layout->addWidget(example_);
        setFixedWidth(kColumnWidth + kGutter);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
        const int x = kGutter / 2;
        const int top = heading_->geometry().center().y();
        const int bottom = example_->geometry().center().y();
        painter.drawPolyline(QPolygon(
            {QPoint(kGutter - 3, top), QPoint(x, top), QPoint(x, bottom), QPoint(kGutter - 3, bottom)}));
    }

private:
    QLabel* heading_;
    QLabel* example_;
};

QLabel* lines(const char* objectName, std::initializer_list<const char*> texts, QWidget* parent) {
    QStringList joined;
    for (const char* text : texts)
        joined << text;
    QLabel* label = textLabel(joined.join('\n'), textFont(10), parent);
    label->setObjectName(objectName);
    return label;
}

} // namespace

MicrInformationScreen::MicrInformationScreen(QWidget* parent)
    : QDialog(parent) {
    setObjectName("MicrForm");
    setWindowTitle("ABA MICR Information");

    QLabel* heading =
        textLabel("How to read MICR Bank account information from printed checks.", textFont(13, true), this);
    heading->setObjectName("Heading");
    heading->setAlignment(Qt::AlignHCenter);
    const int width = 3 * (kColumnWidth + kGutter) + 2 * 12;
    QPlainTextEdit* general = textBox("GeneralText", kGeneralText, width, this);

    auto* checkNumber = new MicrColumn(
        "Check Number -",
        lines("CheckNumberText",
              {"May appear before or after", "routing and account number", "information. It may or may",
               "not have the ABA symbols", "before and after it.", "", "This number is also printed",
               "in the upper right hand", "corner of the check."},
              this),
        micrExample("CheckNumberExample", "C801C", this), this);
    auto* transitNumber =
        new MicrColumn("Bank Transit Number -",
                       lines("TransitNumberText",
                             {"is always the only line to contain", "these unique ABA codes.",
                              "The number between these codes", "is the bank Transit number.",
                              "It is always 9 digits in length.", "", "Canadian bank Transit numbers",
                              "always contain a dash in place", "of the 4th number."},
                             this),
                       micrExample("TransitNumberExample", "A123456789A", this), this);
    auto* accountNumber = new MicrColumn("Bank Account Number -",
                                         textBox("AccountNumberText", kAccountNumberText, kColumnWidth, this),
                                         micrExample("AccountNumberExample", "110D0054C", this), this);

    QLabel* canadian = textLabel("Canadian Bank Transit Number:", textFont(11, true), this);
    QLabel* canadianExample = micrExample("CanadianTransitExample", "A123D56789A", this);
    auto* ok = widgets::screenButton(this, "OK", "OK", widgets::ButtonRole::Default, [this] { close(); });

    auto* columns = new QHBoxLayout;
    columns->setSpacing(12);
    columns->addWidget(checkNumber);
    columns->addWidget(transitNumber);
    columns->addWidget(accountNumber);

    auto* bottom = new QHBoxLayout;
    bottom->addSpacing(kGutter);
    bottom->addWidget(canadian);
    bottom->addSpacing(12);
    bottom->addWidget(canadianExample);
    bottom->addStretch();
    bottom->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->addWidget(heading);
    layout->addSpacing(6);
    layout->addWidget(general);
    layout->addSpacing(14);
    layout->addLayout(columns);
    layout->addSpacing(18);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ok->setFocus();
}

} // namespace velmora::app
