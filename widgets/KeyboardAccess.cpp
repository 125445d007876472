#include "widgets/KeyboardAccess.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QProxyStyle>
#include <QShortcut>
#include <QStyleOptionMenuItem>

namespace velmora::widgets {

namespace {

// Alt on its own puts the menu bar into keyboard mode, whatever the desktop style says, and the menu
// it highlights there is drawn as an open one is (some styles draw nothing until a menu opens).
class AltNavigationStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element == CE_MenuBarItem && item && (item->state & State_Selected)) {
            QStyleOptionMenuItem highlighted = *item;
            highlighted.state |= State_Sunken;
            QProxyStyle::drawControl(element, &highlighted, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

} // namespace

void enableMenuBarKeys(QMenuBar& bar) {
    auto* style = new AltNavigationStyle;
    style->setParent(&bar);
    bar.setStyle(style);
    // F10 does what Alt does: the bar takes it as an Alt pressed and released on its own. A key event
    // carries the modifiers held before it, and tells those after it (an Alt press tells Alt held).
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), &bar);
    f10->setContext(Qt::WindowShortcut);
    QObject::connect(f10, &QShortcut::activated, &bar, [&bar] {
        QWidget* window = bar.window();
        QKeyEvent press(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier);
        QCoreApplication::sendEvent(window, &release);
    });
}

void showFocusFrame(QAbstractScrollArea& box) {
    // The same width with and without the focus, so that the text does not move.
    box.setStyleSheet(QString("%1 { border: 2px solid palette(mid); border-radius: 2px; }"
                              " %1:focus { border: 2px solid palette(highlight); }")
                          .arg(box.metaObject()->className()));
}

} // namespace velmora::widgets
