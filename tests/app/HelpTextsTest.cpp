#include "app/HelpTexts.h"

#include "support/HelpTextsAsWritten.h"

#include <gtest/gtest.h>
#include <set>

namespace velmora {
namespace {

TEST(HelpTextsTest, EveryTopicReadsWordForWordAsWritten) {
    std::set<app::HelpTopic> topics;
    for (const auto& [topic, written] : testing::kHelpTextsAsWritten) {
        EXPECT_EQ(app::helpText(topic), written) << "topic " << static_cast<int>(topic);
        topics.insert(topic);
    }
    EXPECT_EQ(topics.size(), 16u) << "every topic typed out once";
}

} // namespace
} // namespace velmora
