#include "widgets/QtDialogs.h"

#include <QApplication>
#include <QInputDialog>
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

} // namespace
} // namespace velmora::widgets
