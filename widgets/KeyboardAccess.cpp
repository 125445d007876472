#include "widgets/KeyboardAccess.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProxyStyle>
#include <QShortcut>
#include <QShortcutEvent>
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

// The control an access key of `widget` brings the user to, and its key; null when it has none.
QWidget* accessTarget(QWidget* widget, QKeySequence& key) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        key = QKeySequence::mnemonic(button->text());
        return button;
    }
    if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy()) {
        key = QKeySequence::mnemonic(label->text());
        return label->buddy();
    }
    return nullptr;
}

// Watches the controls whose access key is shared: Qt sends the key to one of them as ambiguous,
// and this moves the focus along the whole group instead.
class SharedKeys : public QObject {
public:
    explicit SharedKeys(QWidget& screen)
        : QObject(&screen)
        , screen_(screen) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Shortcut || !static_cast<QShortcutEvent*>(event)->isAmbiguous())
            return false;
        QKeySequence key;
        if (!accessTarget(qobject_cast<QWidget*>(watched), key) || key.isEmpty())
            return false;
        moveFocus(key);
        return true;
    }

private:
    // The next control of the group after the one with the focus, in tab order.
    void moveFocus(const QKeySequence& key) {
        QList<QWidget*> group;
        QWidget* widget = &screen_;
        do {
            QKeySequence own;
            QWidget* target = accessTarget(widget, own);
            if (target && own == key && target->isVisibleTo(&screen_) && target->isEnabled() &&
                !group.contains(target))
                group.append(target);
            widget = widget->nextInFocusChain();
        } while (widget && widget != &screen_);
        if (group.isEmpty())
            return;
        const qsizetype current = group.indexOf(QApplication::focusWidget());
        QWidget* next = group.at(current < 0 ? 0 : (current + 1) % group.size());
        next->setFocus(Qt::ShortcutFocusReason);
        // The focus frame is drawn once the focus moved by the keyboard.
        screen_.window()->setAttribute(Qt::WA_KeyboardFocusChange);
    }

    QWidget& screen_;
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

void makeSharedAccessKeysMoveFocus(QWidget& screen) {
    auto* shared = new SharedKeys(screen);
    for (QWidget* widget : screen.findChildren<QWidget*>()) {
        QKeySequence key;
        if (accessTarget(widget, key) && !key.isEmpty())
            widget->installEventFilter(shared);
    }
}

void showFocusFrame(QAbstractScrollArea& box) {
    // The same width with and without the focus, so that the text does not move.
    box.setStyleSheet(QString("%1 { border: 2px solid palette(mid); border-radius: 2px; }"
                              " %1:focus { border: 2px solid palette(highlight); }")
                          .arg(box.metaObject()->className()));
}

} // namespace velmora::widgets
