#include <gtest/gtest.h>

#include "catalogue/BundleFixtures.h"
#include "catalogue/PluginFolders.h"
#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"
#include "localisation/Languages.h"
#include "support/ModalDriver.h"
#include "support/ServerFixture.h"
#include "support/TestEnvironment.h"
#include "tasks/ConnectionThread.h"

namespace
{
class ConnectionOnline : public ServerFixture
{
protected:
    void SetUp() override
    {
        if (TestEnvironment::isInPrivateRoot())
            ServerFixture::SetUp();

        setLanguage (0);
    }

    void TearDown() override
    {
        if (TestEnvironment::isInPrivateRoot())
            ServerFixture::TearDown();
    }
};

// Samples the task window's progress bar while it is up.
struct BarWatcher : private juce::Timer
{
    BarWatcher() { startTimer (5); }
    ~BarWatcher() override { stopTimer(); }

    void timerCallback() override
    {
        if (auto* modal = juce::Component::getCurrentlyModalComponent())
        {
            title = modal->getName();

            if (auto* bar = ModalDriver::findProgressBar (*modal))
            {
                auto value = ModalDriver::getProgressValue (*bar);

                if (value >= 0.0 && (values.isEmpty() || values.getLast() != value))
                    values.add (value);
            }
        }
    }

    juce::Array<double> values;
    juce::String title;
};
} // namespace

TEST_F (ConnectionOnline, BarClimbsAsProductsAreBuilt)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    // Bundles in sub-folders make every product's scan walk the folder tree.
    for (int i = 0; i < 60; ++i)
        BundleFixtures::writeBundleWithVersion (juce::File (getDefaultVstFolder()).getChildFile ("Vendor" + juce::String (i % 6)),
                                                "Other" + juce::String (i) + ".vst", "1.0");

    juce::String xml ("<components>");
    for (int i = 1; i <= 400; ++i)
        xml << BundleFixtures::productXml (i, "P" + juce::String (i), "1.0", i,
                                           BundleFixtures::componentXml ("VST", "Missing" + juce::String (i) + ".vst"));
    xml << "</components>";
    server.setComponentsXml (xml.toStdString());

    ModalDriver driver;
    driver.pressWhenModalAppears ("OK");
    BarWatcher watcher;
    runConnectionWindow();
    TestEnvironment::runFor (50);

    auto& catalogue = ProductCatalogue::getInstance();
    EXPECT_TRUE (catalogue.isOnline());
    EXPECT_EQ (catalogue.getNumProducts(), 400);
    EXPECT_EQ (watcher.title, "Connecting...");
    EXPECT_EQ (driver.getNumPending(), 1) << "no alert";
    EXPECT_TRUE (catalogue.checkServerReachable());
    EXPECT_TRUE (catalogue.isOnline());

    // How many values a sample catches depends on the machine's load; that the bar shows each value
    // written is proved on its own (ProgressMirror).
    ASSERT_FALSE (watcher.values.isEmpty());
    for (int i = 1; i < watcher.values.size(); ++i)
        EXPECT_GT (watcher.values[i], watcher.values[i - 1]);
    EXPECT_LE (watcher.values.getLast(), 1.0);
}

TEST_F (ConnectionOnline, FailedRequestClosesWithoutAlert)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT()

    auto& catalogue = ProductCatalogue::getInstance();

    for (auto* reply : { "not xml", "" })
    {
        server.setReply ("REQUEST_COMPONENTS", { 200, reply });
        ModalDriver driver;
        driver.pressWhenModalAppears ("OK");

        runConnectionWindow();
        TestEnvironment::runFor (50);

        EXPECT_FALSE (catalogue.isOnline()) << reply;
        EXPECT_EQ (catalogue.getNumProducts(), 0) << reply;
        EXPECT_EQ (driver.getNumPending(), 1) << "no alert";
    }

    EXPECT_EQ (server.getRequests().back().rawQuery, "ACTION=REQUEST_COMPONENTS");

    // Without the server, an offline repository loaded before still fills the catalogue.
    server.stop();
    const juce::File offline ("/opt/Quorvelan/PluginManagerOfflineRepository/components.xml");
    offline.getParentDirectory().createDirectory();
    offline.replaceWithText ("<c><product id=\"9\"><product_title>Disk</product_title></product></c>");
    ASSERT_TRUE (catalogue.tryOfflineRepository());

    ModalDriver driver;
    driver.pressWhenModalAppears ("OK");
    runConnectionWindow();

    EXPECT_FALSE (catalogue.isOnline());
    ASSERT_EQ (catalogue.getNumProducts(), 1);
    EXPECT_FALSE (catalogue.getProduct (0)->isOnline());
    EXPECT_FALSE (catalogue.checkServerReachable());
}
