#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include "catalogue/BundleFixtures.h"
#include "catalogue/InstalledBundles.h"
#include "standin/HttpProbe.h"
#include "standin/StandInServer.h"

#include <map>

namespace
{
const juce::File sampleFolder{ QUORVELAN_SAMPLE_CATALOGUE_DIR };

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

    const BundleFixtures::ScratchFolder unpacked;
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
            EXPECT_NE (zip.getEntry (name + "/Contents/MacOS/" + name.upToLastOccurrenceOf (".", false, false)), nullptr) << name;

            // Unpacked into a folder, the bundle lands at <folder>/<name>, where the installer moves it from.
            EXPECT_TRUE (zip.uncompressTo (unpacked.getFile()).wasOk()) << name;
            const auto unpackedPlist = unpacked.getChild (name).getChildFile ("Contents/Info.plist");
            EXPECT_TRUE (unpackedPlist.existsAsFile()) << name;
            EXPECT_EQ (readBundleVersion (unpackedPlist.getFullPathName()), latest.getFloatValue()) << name;
            ++archives;
        }
    }

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

namespace
{
// The executable the run command starts, reading its output a line at a time.
struct StandInProcess
{
    bool start (const juce::StringArray& arguments)
    {
        juce::StringArray command{ QUORVELAN_STANDIN_SERVER_PATH };
        command.addArray (arguments);
        return process.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr);
    }

    // The next line, or what came before the output ended.
    std::string readLine()
    {
        std::string line;
        char c = 0;

        while (process.readProcessOutput (&c, 1) == 1 && c != '\n')
            line += c;

        return line;
    }

    juce::ChildProcess process;
};
} // namespace

TEST_F (StandInServerSample, TheExecutableServesTheSampleAndLogsEachRequest)
{
    ASSERT_TRUE (juce::File (QUORVELAN_STANDIN_SERVER_PATH).existsAsFile());

    StandInProcess standIn;
    ASSERT_TRUE (standIn.start ({ "--port", "0", "--root", sampleFolder.getFullPathName() }));

    const juce::String banner (standIn.readLine());
    ASSERT_TRUE (banner.startsWith ("Stand-in server on http://127.0.0.1:")) << banner;
    const int ownPort = banner.fromFirstOccurrenceOf ("127.0.0.1:", false, false).getIntValue();
    ASSERT_GT (ownPort, 0);
    EXPECT_NE (ownPort, port);

    const auto login = juce::XmlDocument::parse (
        HttpProbe::get (ownPort, "/plugin_manager.htm?ACTION=REQUEST_LICENCE&email=demo%40quorvelan.com&password=demo1234").getText());
    ASSERT_NE (login, nullptr);
    EXPECT_EQ (login->getStringAttribute ("response"), "OK");

    const auto archive = HttpProbe::get (ownPort, "/plugrepo/components/MAC/My%20Plug.vst.zip");
    EXPECT_EQ (archive.status, 200);
    juce::MemoryBlock onDisk;
    ASSERT_TRUE (sampleFolder.getChildFile ("plugrepo/components/MAC/My Plug.vst.zip").loadFileAsData (onDisk));
    EXPECT_EQ (archive.body, onDisk);
    EXPECT_TRUE (server.getRequests().empty()) << "the executable answered, not the fixture's server";
    EXPECT_EQ (HttpProbe::get (ownPort, "/plugrepo/components/MAC/Missing.zip").status, 404);

    EXPECT_EQ (standIn.readLine(), "GET /plugin_manager.htm?ACTION=REQUEST_LICENCE&email=demo%40quorvelan.com&password=demo1234 -> 200");
    EXPECT_EQ (standIn.readLine(), "GET /plugrepo/components/MAC/My%20Plug.vst.zip -> 200");
    EXPECT_EQ (standIn.readLine(), "GET /plugrepo/components/MAC/Missing.zip -> 404");

    // A port in use, a missing folder and a bad argument end it at once with a message.
    struct Case
    {
        juce::StringArray arguments;
        juce::uint32 exitCode;
        juce::String message;
    };

    const Case cases[] = {
        { { "--port", juce::String (ownPort), "--root", sampleFolder.getFullPathName() }, 1, "Cannot listen on 127.0.0.1:" + juce::String (ownPort) },
        { { "--port", "0", "--root", sampleFolder.getChildFile ("missing").getFullPathName() }, 1, "No such folder:" },
        { { "--port", "47x", "--root", sampleFolder.getFullPathName() }, 2, "usage:" },
        { { "--port", "70000", "--root", sampleFolder.getFullPathName() }, 2, "usage:" },
        { { "--port", "0" }, 2, "usage:" },
    };

    for (const auto& c : cases)
    {
        StandInProcess refused;
        ASSERT_TRUE (refused.start (c.arguments));
        const auto output = refused.process.readAllProcessOutput();
        EXPECT_TRUE (refused.process.waitForProcessToFinish (10000)) << c.arguments.joinIntoString (" ");
        EXPECT_EQ (refused.process.getExitCode(), c.exitCode) << c.arguments.joinIntoString (" ");
        EXPECT_TRUE (output.contains (c.message)) << output;
    }

    // Still the only one on its port.
    EXPECT_EQ (HttpProbe::get (ownPort, "/plugin_manager.htm?ACTION=GET_VERSION").status, 200);
    EXPECT_EQ (standIn.readLine(), "GET /plugin_manager.htm?ACTION=GET_VERSION -> 200");

    EXPECT_TRUE (standIn.process.kill());
    EXPECT_TRUE (standIn.process.waitForProcessToFinish (10000));
    EXPECT_FALSE (HttpProbe::get (ownPort, "/plugin_manager.htm").opened);
}
