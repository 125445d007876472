#include "app/forms/PasswordBox.h"

#include <QProxyStyle>

namespace velmora::app {

namespace {

class StarEchoStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_LineEdit_PasswordCharacter)
            return '*';
        if (hint == QStyle::SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

PasswordBox::PasswordBox(QWidget* parent)
    : QLineEdit(parent) {
    auto* style = new StarEchoStyle;
    style->setParent(this); // a widget does not own the style it is given
    setStyle(style);
    setEchoMode(QLineEdit::Password);
}

} // namespace velmora::app
