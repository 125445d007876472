#include "widgets/QtDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace velmora::widgets {
namespace {

TEST(QtDialogsTest, AnInputBoxWrapsALongPromptAtAnOrdinaryWidth) {
    const std::string prompt =
        "Load your Avery 5160 labels in your printer now and enter the label number (labels are numbered "
        "down each column) of the first label you want to start printing on or press OK to choose label 1:";
    int width = 0;
    QString shownPrompt;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!box)
            return;
        width = box->width();
        shownPrompt = box->labelText();
        box->reject();
    });
    QtDialogs dialogs;
    EXPECT_FALSE(dialogs.input({prompt, "", ""}).has_value()); // Cancel
    EXPECT_EQ(shownPrompt.toStdString(), prompt);
    EXPECT_GT(width, 0);
    EXPECT_LT(width, 640);
}

TEST(QtDialogsTest, AListIsTickedWithTheKeyboard) {
    const ChoiceList list{"Tick the checks that printed properly.",
                          "Which checks printed properly?",
                          {"Check #", "Pay To", "Amount"},
                          {{"1001", "Anne", "$1.00"}, {"1002", "Bob", "$2.00"}, {"1003", "Cy", "$3.00"}}};
    QString count;
    // Space ticks the selected rows (Shift and the arrow keys select several), or clears them when all
    // are ticked; Return takes the ticks, Escape cancels.
    const auto keys = [&](std::vector<std::pair<Qt::Key, Qt::KeyboardModifier>> presses, Qt::Key last) {
        QTimer::singleShot(0, [&, presses, last] {
            QWidget* box = QApplication::activeModalWidget();
            auto* table = box ? box->findChild<QTableWidget*>("Choices") : nullptr;
            if (!table || box->focusWidget() != table) {
                ADD_FAILURE() << "no list, or its table lacks the focus: " << (box ? "box" : "no box")
                              << (table ? " table" : "");
                if (box)
                    box->close();
                return;
            }
            for (const auto& [key, modifier] : presses)
                QTest::keyClick(table, key, modifier);
            count = box->findChild<QLabel*>("TickedCount")->text();
            QTest::keyClick(table, last);
        });
    };
    QtDialogs dialogs;
    keys({{Qt::Key_Down, Qt::NoModifier},
          {Qt::Key_Space, Qt::NoModifier},
          {Qt::Key_Down, Qt::ShiftModifier},
          {Qt::Key_Space, Qt::NoModifier}},
         Qt::Key_Return);
    EXPECT_EQ(dialogs.choose(list), (std::vector<bool>{false, true, true}));
    EXPECT_EQ(count, "2 of 3 ticked");
    keys({{Qt::Key_Space, Qt::NoModifier}}, Qt::Key_Escape);
    EXPECT_FALSE(dialogs.choose(list)) << "Escape cancels";
}

} // namespace
} // namespace velmora::widgets
