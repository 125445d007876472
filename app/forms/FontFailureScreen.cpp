#include "app/forms/FontFailureScreen.h"

#include "widgets/ScreenButton.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora::app {

namespace {

QPlainTextEdit* noticeText(const char* objectName, const QString& text, QWidget* parent) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(objectName);
    box->setReadOnly(true);
    box->setPlainText(text);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setFrameShape(QFrame::NoFrame);
    box->setFixedHeight(box->fontMetrics().lineSpacing() * 4 + 8);
    return box;
}

} // namespace

FontFailureScreen::FontFailureScreen(QWidget* parent)
    : QDialog(parent) {
    setObjectName("FontFailure");
    setWindowTitle("Font Failure Notice");

    auto* heading = new QLabel("Font Failure Notice", this);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.4);
    heading->setFont(headingFont);
    heading->setAlignment(Qt::AlignHCenter);

    auto* cause =
        noticeText("Text1",
                   "The MICR65 TrueType Font cannot be detected.  If you just installed this \r\n"
                   "program, you must reboot your PC before the font will be active. If rebooting \r\n"
                   "does not work, you will need to do the following:\r\n",
                   this);
    auto* remedy = noticeText("Text2",
                              "Choose Start - Settings - Control Panel, \r\n"
                              "choose FONTS, choose FILE - INSTALL NEW FONT, choose the directory \r\n"
                              "where your program is installed, select the MICR65 font and choose OK.\r\n",
                              this);

    auto* ok = widgets::screenButton(this, "OK", "OK", widgets::ButtonRole::Default, [this] { close(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(cause);
    layout->addWidget(remedy);
    layout->addLayout(buttons);
    resize(640, sizeHint().height());
}

} // namespace velmora::app
