#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include "standin/HttpProbe.h"
#include "standin/StandInServer.h"

#include <map>

namespace
{
const juce::File sampleFolder{ QUORVELAN_SAMPLE_CATALOGUE_DIR };

// The text after the first CFBundleVersion or CFBundleShortVersionString key of an Info.plist.
juce::String readPlistVersion (const juce::String& text)
{
    const auto plist = juce::XmlDocument::parse (text);

    if (plist == nullptr || ! plist->hasTagName ("plist") || plist->getChildByName ("dict") == nullptr)
        return {};

    for (auto* key : plist->getChildByName ("dict")->getChildWithTagNameIterator ("key"))
    {
        const auto name = key->getAllSubText();

        if (name == "CFBundleVersion" || name == "CFBundleShortVersionString")
            return key->getNextElement() != nullptr ? key->getNextElement()->getAllSubText() : juce::String();
    }

    return {};
}

class StandInServerSample : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (sampleFolder.getChildFile ("components.xml").existsAsFile()) << "the build generates it";
        ASSERT_TRUE (server.serveFolder (sampleFolder.getFullPathName().toStdString()));
        port = server.start();
        ASSERT_GT (port, 0);
    }

    StandInServer server;
    int port = 0;
};
} // namespace

TEST_F (StandInServerSample, EveryMacComponentArchiveHoldsItsBundleAtTheTop)
{
    const std::map<juce::String, juce::String> bundleExtensions{
        { "VST", ".vst" },
        { "VST64", ".vst" },
        { "AU", ".component" },
        { "RTAS", ".dpm" }
    };

    const auto catalogue = juce::XmlDocument::parse (HttpProbe::get (port, "/plugin_manager.htm?ACTION=REQUEST_COMPONENTS").getText());
    ASSERT_NE (catalogue, nullptr);

    const auto unpacked = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("sample-unpacked", {}, false);
    juce::StringArray formats;
    int products = 0, archives = 0, obsolete = 0, withBlank = 0;

    for (auto* product : catalogue->getChildWithTagNameIterator ("product"))
    {
        ++products;
        const auto latest = product->getChildByName ("latest_version")->getAllSubText();

        for (auto* component : product->getChildWithTagNameIterator ("component"))
        {
            const auto name = component->getAllSubText();
            const auto format = component->getStringAttribute ("format");

            if (component->getStringAttribute ("platform") != "MAC")
                continue;

            formats.addIfNotAlreadyThere (format);
            ASSERT_EQ (bundleExtensions.count (format), 1u) << format;
            EXPECT_TRUE (name.endsWith (bundleExtensions.at (format))) << name;

            if (component->getStringAttribute ("action") == "REMOVE")
            {
                ++obsolete;
                continue;
            }

            withBlank += name.containsChar (' ') ? 1 : 0;

            // The address the program builds: blanks as %20, nothing else escaped.
            const auto fetched = HttpProbe::get (port, "/plugrepo/components/MAC/" + name.replace (" ", "%20") + ".zip");
            ASSERT_EQ (fetched.status, 200) << name;

            juce::MemoryInputStream stream (fetched.body, false);
            juce::ZipFile zip (stream);
            ASSERT_GT (zip.getNumEntries(), 0) << name;

            for (int i = 0; i < zip.getNumEntries(); ++i)
                EXPECT_TRUE (zip.getEntry (i)->filename.startsWith (name + "/")) << zip.getEntry (i)->filename;

            const auto* plistEntry = zip.getEntry (name + "/Contents/Info.plist");
            ASSERT_NE (plistEntry, nullptr) << name;
            const std::unique_ptr<juce::InputStream> plist (zip.createStreamForEntry (*plistEntry));
            ASSERT_NE (plist, nullptr) << name;
            EXPECT_EQ (readPlistVersion (plist->readEntireStreamAsString()).getFloatValue(), latest.getFloatValue()) << name;
            EXPECT_NE (zip.getEntry (name + "/Contents/MacOS/" + name.upToLastOccurrenceOf (".", false, false)), nullptr) << name;

            // Unpacked into a folder, the bundle lands at <folder>/<name>, where the installer moves it from.
            EXPECT_TRUE (zip.uncompressTo (unpacked).wasOk()) << name;
            EXPECT_TRUE (unpacked.getChildFile (name).getChildFile ("Contents/Info.plist").existsAsFile()) << name;
            ++archives;
        }
    }

    unpacked.deleteRecursively();

    EXPECT_GE (products, 5);
    EXPECT_GE (archives, products);
    EXPECT_EQ (obsolete, 1);
    EXPECT_GT (withBlank, 0);

    for (const auto* format : { "VST", "VST64", "AU", "RTAS" })
        EXPECT_TRUE (formats.contains (format)) << format;
}

TEST_F (StandInServerSample, OffersTheDemoAccountAndTheCurrentVersion)
{
    const auto login = juce::XmlDocument::parse (
        HttpProbe::get (port, "/plugin_manager.htm?ACTION=REQUEST_LICENCE&email=demo%40quorvelan.com&password=demo1234").getText());
    ASSERT_NE (login, nullptr);
    EXPECT_EQ (login->getStringAttribute ("response"), "OK");
    ASSERT_NE (login->getChildByName ("user"), nullptr);
    EXPECT_EQ (login->getChildByName ("user")->getChildByName ("name")->getAllSubText(), "Demo Customer");
    EXPECT_EQ (login->getChildByName ("user")->getChildByName ("company")->getAllSubText(), "Quorvelan Demo");

    const auto refused = juce::XmlDocument::parse (
        HttpProbe::get (port, "/plugin_manager.htm?ACTION=REQUEST_LICENCE&email=demo%40quorvelan.com&password=demo12345").getText());
    ASSERT_NE (refused, nullptr);
    EXPECT_EQ (refused->getStringAttribute ("response"), "ERROR");

    const auto version = juce::XmlDocument::parse (HttpProbe::get (port, "/plugin_manager.htm?ACTION=GET_VERSION").getText());
    ASSERT_NE (version, nullptr);
    EXPECT_EQ (version->getStringAttribute ("response"), "OK");
    ASSERT_NE (version->getChildByName ("authapp"), nullptr);
    EXPECT_EQ (version->getChildByName ("authapp")->getStringAttribute ("version"), "3.22");
}
