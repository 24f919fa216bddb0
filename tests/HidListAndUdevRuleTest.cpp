#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "IvractlRunner.h"
#include "TemporaryFolder.h"
#include "discovery/UdevRule.h"

namespace ivra {
namespace {

std::string ShippedRuleFile() {
    std::ifstream in(std::string(IVRA_SOURCE_DIR) + "/udev/70-ivra-wireless-manager.rules");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The shipped rule is what the catalogue makes: a row added without its
// udev line fails here, and `device udev-rule` prints the same text.
TEST(UdevRule, TheShippedRuleIsTheCataloguesOwnAndIvractlPrintsIt) {
    const std::string shipped = ShippedRuleFile();
    ASSERT_FALSE(shipped.empty());
    EXPECT_EQ(UdevRuleText(DeviceCatalogue::Shipped()), shipped);

    sim::TemporaryFolder scratch;
    const auto run = testing::RunIvractl("device udev-rule", scratch.Path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, shipped);
}

TEST(HidList, ShowsEachNodeWithItsCollectionsAndUsages) {
    sim::TemporaryFolder scratch;
    const auto text = testing::RunIvractl("--simulate keyboard hid list", scratch.Path());
    ASSERT_EQ(text.status, 0) << text.err;
    // The simulated keyboard's command interface: one node, several collections.
    EXPECT_NE(text.out.find("320f:506a  interface 1\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("  collection 4  usage page 0xff"), std::string::npos) << text.out;

    const auto json = testing::RunIvractl("--simulate keyboard --json hid list", scratch.Path());
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"vendorId\":12815"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"collections\":[{"), std::string::npos) << json.out;

    EXPECT_EQ(testing::RunIvractl("hid list extra", scratch.Path()).status, 2);
}

}  // namespace
}  // namespace ivra
