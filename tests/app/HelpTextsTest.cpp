#include "app/HelpTexts.h"

#include "support/HelpTextsAsWritten.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>
#include <set>

namespace velmora {
namespace {

TEST(HelpTextsTest, EveryTopicReadsWordForWordAsWritten) {
    std::set<HelpTopic> topics;
    for (const auto& [topic, written] : testing::kHelpTextsAsWritten) {
        EXPECT_EQ(helpText(topic), written) << "topic " << static_cast<int>(topic);
        topics.insert(topic);
    }
    EXPECT_EQ(topics.size(), 16u) << "every topic typed out once";
}

TEST(HelpTextsTest, AHelpTextIsAnOkOnlyBoxUnderTheProductName) {
    testing::ScriptedDialogs dialogs;
    showHelp(dialogs, HelpTopic::PrintingLabels);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const MessageBox& box = dialogs.shown()[0];
    EXPECT_EQ(box.text, testing::helpTextAsWritten(HelpTopic::PrintingLabels));
    EXPECT_EQ(box.title, "") << "the program's default title, the product name";
    EXPECT_EQ(box.buttons, DialogButtons::Ok);
    EXPECT_EQ(box.icon, DialogIcon::None);
}

} // namespace
} // namespace velmora
