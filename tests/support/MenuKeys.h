#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <map>

namespace velmora::testing {

// Alt pressed and released on its own over `widget`, as the window system delivers it: each event
// carries the modifiers held before it (none for the press, which is first offered as a shortcut,
// Alt for the release).
inline void pressAltAlone(QWidget* widget) {
    QKeyEvent offered(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
    offered.ignore(); // as the window system offers it: passed up to the window unless taken
    QApplication::sendEvent(widget, &offered);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Alt, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier);
    QApplication::sendEvent(widget, &release);
}

// Whether F10 and Alt on its own, each pressed where the focus is, highlight the first menu of
// `bar`, and Escape leaves it again; the bar's window must be shown and active.
inline ::testing::AssertionResult menuBarOpensFromTheKeyboard(QMenuBar& bar) {
    for (const bool f10 : {true, false}) {
        QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : bar.window();
        if (f10)
            QTest::keyClick(focus, Qt::Key_F10);
        else
            pressAltAlone(focus);
        if (bar.activeAction() != bar.actions().value(0))
            return ::testing::AssertionFailure() << (f10 ? "F10" : "Alt") << " left the menu bar as it was";
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &bar, Qt::Key_Escape);
        if (bar.activeAction())
            return ::testing::AssertionFailure()
                   << "Escape after " << (f10 ? "F10" : "Alt") << " stayed in the bar";
    }
    return ::testing::AssertionSuccess();
}

// Whether the frame of `box` (its outermost pixels, where no text cursor is drawn) looks different
// with the focus than without it (the focus moved to `elsewhere`).
inline bool focusIsVisible(QWidget& box, QWidget& elsewhere) {
    const auto frame = [&box] {
        const QImage image = box.grab().toImage();
        return image.copy(0, 0, 2, image.height());
    };
    elsewhere.setFocus(Qt::TabFocusReason);
    const QImage without = frame();
    box.setFocus(Qt::TabFocusReason);
    return box.hasFocus() && frame() != without;
}

// The access keys of the buttons and labelled controls under `root`, each with the captions that
// carry it: a key with two captions reaches only one of them.
inline std::map<QChar, QStringList> accessKeys(QWidget& root) {
    std::map<QChar, QStringList> keys;
    for (QWidget* widget : root.findChildren<QWidget*>()) {
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            text = button->text();
        else if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy())
            text = label->text();
        const qsizetype amp = text.indexOf(QRegularExpression("&[^&]"));
        if (amp >= 0)
            keys[text.at(amp + 1).toLower()] << text;
    }
    return keys;
}

} // namespace velmora::testing
