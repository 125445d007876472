#include "app/forms/AboutScreen.h"

#include "base/Product.h"
#include "widgets/ScreenButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace velmora::app {

namespace {

QLabel* namedLabel(const char* objectName, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    return label;
}

// One of the settings' About lines: it keeps its height when the line is empty, so that an
// installation without them still shows the box in its usual shape.
QLabel* aboutLine(const char* objectName, const std::string& text, int lines, QWidget* parent) {
    QLabel* label = namedLabel(objectName, QString::fromStdString(text), parent);
    label->setWordWrap(lines > 1);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFixedHeight(label->fontMetrics().lineSpacing() * lines);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

AboutScreen::AboutScreen(const std::array<std::string, 3>& aboutLines, QWidget* parent)
    : QDialog(parent) {
    setObjectName("HelpAbout");

    QLabel* name = namedLabel("ProgramName", product::kName, this);
    QFont nameFont = name->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 2.4);
    nameFont.setBold(true);
    name->setFont(nameFont);
    QLabel* mark = namedLabel("TradeMark", "(TM)", this);
    QFont markFont = mark->font();
    markFont.setPointSizeF(markFont.pointSizeF() * 0.75);
    mark->setFont(markFont);
    QLabel* version = namedLabel("Version", product::kVersion, this);
    QLabel* copyright = namedLabel("CopyrightLabel", product::kCopyright, this);

    auto* ok = widgets::screenButton(this, "OK", "OK", widgets::ButtonRole::Default, [this] { close(); });

    auto* title = new QHBoxLayout;
    title->setSpacing(2);
    title->addWidget(name, 0, Qt::AlignBottom);
    title->addWidget(mark, 0, Qt::AlignTop);
    title->addSpacing(24);
    title->addWidget(version, 0, Qt::AlignBottom);
    title->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->addLayout(title);
    layout->addWidget(copyright);
    layout->addSpacing(12);
    layout->addWidget(aboutLine("HelpAboutLine1", aboutLines[0], 1, this));
    layout->addWidget(aboutLine("HelpAboutLine2", aboutLines[1], 1, this));
    layout->addSpacing(18);
    layout->addWidget(aboutLine("HelpAboutLine3", aboutLines[2], 2, this));
    layout->addSpacing(12);
    layout->addLayout(buttons);
    setMinimumWidth(420);
    ok->setFocus();
}

} // namespace velmora::app
