#include <gtest/gtest.h>

#include "catalogue/BundleFixtures.h"
#include "catalogue/InstalledBundles.h"
#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"
#include "catalogue/ReplyEnvelope.h"
#include "catalogue/ServerRequest.h"
#include "catalogue/VersionReply.h"
#include "readers/XmlReading.h"
#include "services/RememberedLogin.h"
#include "services/SettingsFiles.h"
#include "support/ServerFixture.h"
#include "support/TestEnvironment.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>

namespace
{
juce::String nested (int depth, const juce::String& inside = {})
{
    return juce::String::repeatedString ("<a>", depth) + inside + juce::String::repeatedString ("</a>", depth);
}

// A plist whose version is followed by arrays nested to the given depth below the dictionary.
juce::String plistNestedTo (int arrayDepth)
{
    return "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>CFBundleVersion</key><string>2.5</string><key>x</key>"
           + juce::String::repeatedString ("<array>", arrayDepth) + juce::String::repeatedString ("</array>", arrayDepth)
           + "</dict></plist>";
}
// Runs the read on a thread of its own and waits for it a bounded time. A read that never returns
// would go on against the catalogue and the scratch files while later cases run, so the test fails
// there and the process ends at once, naming the read.
juce::String readWithin (const juce::String& what, std::function<juce::String()> read)
{
    std::packaged_task<juce::String()> task (std::move (read));
    auto result = task.get_future();
    std::thread reader (std::move (task));

    if (result.wait_for (std::chrono::seconds (20)) != std::future_status::ready)
    {
        ADD_FAILURE() << what << " never returned; no later case runs";
        std::fflush (nullptr);
        std::_Exit (EXIT_FAILURE);
    }

    reader.join();
    return result.get();
}

// The framework's parser loops for ever on both: a processing instruction after text inside an
// element, and an internal entity that names another.
const juce::String processingInstruction ("<a>x<?x?>y</a>");
const juce::String entityLoop ("<!DOCTYPE r [<!ENTITY a \";;;&b;\">]>");
} // namespace

TEST (XmlNesting, DeepDocumentsAreRefused)
{
    EXPECT_NE (XmlReading::parse (nested (256)), nullptr);
    EXPECT_EQ (XmlReading::parse (nested (257)), nullptr);
    EXPECT_EQ (XmlReading::parse (nested (20000)), nullptr) << "deep enough to overflow a recursive parser's stack";

    // Whatever is not an element does not count, and siblings do not add up.
    const auto body = "<!-- <b><b> --><r x=\"&lt;b>\" y='/>'>" + juce::String::repeatedString ("<e/><e a=\"1\" />", 1000)
                      + "<![CDATA[<b><b><b>]]>" + nested (255) + "</r>";
    EXPECT_NE (XmlReading::parse ("<?xml version=\"1.0\"?>" + body), nullptr);
    EXPECT_EQ (XmlReading::parse ("<r>" + body + "</r>"), nullptr);
}

TEST (BundleVersion, OnlyAnOrdinaryPlistOfReasonableSizeIsRead)
{
    BundleFixtures::ScratchFolder scratch;
    auto contents = [&scratch] (const juce::String& bundle)
    {
        auto folder = scratch.getChild (bundle + "/Contents");
        folder.createDirectory();
        return folder;
    };

    // A FIFO would block the scan for good; a link to /dev/zero would never end.
    ASSERT_EQ (BundleFixtures::runShell ("mkfifo '" + contents ("Fifo.vst").getChildFile ("Info.plist").getFullPathName() + "'"), 0);
    EXPECT_EQ (readBundleVersion (contents ("Fifo.vst").getChildFile ("Info.plist").getFullPathName()), 0.0f);

    ASSERT_TRUE (juce::File::createSymbolicLink (contents ("Zero.vst").getChildFile ("Info.plist"), "/dev/zero", false));
    EXPECT_EQ (readBundleVersion (contents ("Zero.vst").getChildFile ("Info.plist").getFullPathName()), 0.0f);

    ASSERT_TRUE (contents ("Folder.vst").getChildFile ("Info.plist").createDirectory());
    EXPECT_EQ (readBundleVersion (contents ("Folder.vst").getChildFile ("Info.plist").getFullPathName()), 0.0f);

    // A link to an ordinary plist is read.
    ASSERT_TRUE (scratch.getChild ("real.plist").replaceWithText (plistNestedTo (1)));
    ASSERT_TRUE (juce::File::createSymbolicLink (contents ("Linked.vst").getChildFile ("Info.plist"), scratch.getChild ("real.plist").getFullPathName(), false));
    EXPECT_FLOAT_EQ (readBundleVersion (contents ("Linked.vst").getChildFile ("Info.plist").getFullPathName()), 2.5f);

    // Up to 16 MB is read, beyond is not.
    const auto writePadded = [] (const juce::File& file, juce::int64 size)
    {
        auto text = plistNestedTo (1).toStdString();
        text.append ((size_t) size - text.size(), ' ');
        return file.replaceWithData (text.data(), text.size());
    };

    const auto big = contents ("Big.vst").getChildFile ("Info.plist");
    ASSERT_TRUE (writePadded (big, XmlReading::maxFileBytes));
    EXPECT_FLOAT_EQ (readBundleVersion (big.getFullPathName()), 2.5f);
    ASSERT_TRUE (writePadded (big, XmlReading::maxFileBytes + 1));
    EXPECT_EQ (readBundleVersion (big.getFullPathName()), 0.0f);

    // Nesting: the plist and its dictionary count, so 254 arrays reach the bound.
    const auto plist = contents ("Deep.vst").getChildFile ("Info.plist");
    ASSERT_TRUE (plist.replaceWithText (plistNestedTo (254)));
    EXPECT_FLOAT_EQ (readBundleVersion (plist.getFullPathName()), 2.5f);
    ASSERT_TRUE (plist.replaceWithText (plistNestedTo (255)));
    EXPECT_EQ (readBundleVersion (plist.getFullPathName()), 0.0f);
    ASSERT_TRUE (plist.replaceWithText (plistNestedTo (50000)));
    EXPECT_EQ (readBundleVersion (plist.getFullPathName()), 0.0f);

    // Settings files are read within the same bounds.
    ASSERT_TRUE (scratch.getChild ("settings").replaceWithText (nested (100000)));
    EXPECT_EQ (SettingsFiles::readXml (scratch.getChild ("settings")), nullptr);
    EXPECT_EQ (SettingsFiles::readXml (contents ("Fifo.vst").getChildFile ("Info.plist")), nullptr);
    ASSERT_TRUE (scratch.getChild ("settings").replaceWithText (nested (10)));
    EXPECT_NE (SettingsFiles::readXml (scratch.getChild ("settings")), nullptr);
}

TEST (ProductCatalogue, VersionsThatAreNoNumbersAndIdsBeyondRange)
{
    juce::String products;
    int order = 0;

    for (auto* latest : { "inf", "1e309", "nan", "-inf", "INF", "1e3093333333333", "1e4294967301" })
        products << BundleFixtures::productXml (++order, latest, latest, order);

    products << BundleFixtures::productXml (++order, "fine", "2.5", order);

    for (auto* id : { "2147483648", "99999999999999999999", "-2147483649", "4294967295" })
        products << "<product id=\"" << id << "\"><product_title>" << id << "</product_title></product>";

    for (auto* id : { "2147483647", "-5", "0012" })
        products << "<product id=\"" << id << "\"><product_title>kept " << id << "</product_title></product>";

    // Display orders beyond the int range read as no number; those within it as they stand.
    const std::pair<const char*, int> orders[] = { { "4294967297", 0 }, { "2147483648", 0 }, { "-2147483649", 0 }, { "99999999999999999999", 0 }, { " -2147483648", -2147483647 - 1 }, { "17 ", 17 }, { "+17", 0 }, { "12abc", 12 } };

    for (int i = 0; i < (int) std::size (orders); ++i)
        products << "<product id=\"" << (100 + i) << "\"><display_order>" << orders[i].first << "</display_order></product>";

    auto& catalogue = BundleFixtures::buildCatalogue ("<r>" + products + "</r>", true);

    for (int id = 1; id <= 7; ++id)
    {
        auto* product = catalogue.findProductById (id);
        ASSERT_NE (product, nullptr) << id;
        EXPECT_EQ (product->getLatestVersion(), 0.0f) << product->getTitle();
        EXPECT_EQ (product->getLatestVersionText(), "v0.00") << product->getTitle();
    }

    for (int i = 0; i < (int) std::size (orders); ++i)
    {
        auto* product = catalogue.findProductById (100 + i);
        ASSERT_NE (product, nullptr) << orders[i].first;
        EXPECT_EQ (product->getDisplayOrder(), orders[i].second) << orders[i].first;
    }

    EXPECT_FLOAT_EQ (catalogue.findProductById (8)->getLatestVersion(), 2.5f);
    EXPECT_EQ (catalogue.getNumProducts(), 11 + (int) std::size (orders)) << "eight versions, three ids that fit and the orders";
    EXPECT_EQ (catalogue.findProductById (-1), nullptr) << "no id wraps round";
    ASSERT_NE (catalogue.findProductById (2147483647), nullptr);
    ASSERT_NE (catalogue.findProductById (-5), nullptr);
    ASSERT_NE (catalogue.findProductById (12), nullptr);
    EXPECT_EQ (catalogue.findProductById (12)->getTitle(), "kept 0012");
}

TEST (HostileXml, ProcessingInstructionsAndEntityLoopsEndEveryFileReader)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT();

    BundleFixtures::ScratchFolder scratch;
    const auto file = scratch.getChild ("document");
    const juce::File components ("/opt/Quorvelan/PluginManagerOfflineRepository/components.xml");
    ASSERT_TRUE (components.getParentDirectory().createDirectory());

    const auto readSettings = [file]
    {
        auto root = SettingsFiles::readXml (file);
        return root != nullptr ? root->getStringAttribute ("language") + "/" + root->getAllSubText() : juce::String ("none");
    };

    const auto readLogin = [file]
    {
        auto login = RememberedLogin::read (file);
        return login.has_value() ? login->email + "/" + login->password : juce::String ("none");
    };

    const auto readPlist = [file]
    { return juce::String (readBundleVersion (file.getFullPathName())); };

    const auto readOffline = [components]
    {
        auto& catalogue = ProductCatalogue::getInstance();
        catalogue.dropOnlineComponents();
        catalogue.loadOfflineRepository();
        catalogue.buildFromXml (nullptr);
        auto* first = catalogue.getProduct (0);
        return juce::String (catalogue.getNumProducts()) + (first != nullptr ? " " + first->getTitle() : juce::String());
    };

    const auto plistHead = juce::String ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n");
    const auto plistBody = juce::String ("<plist version=\"1.0\"><dict><key>CFBundleVersion</key><string>2<?v?>.5</string></dict>")
                           + processingInstruction + "</plist>";

    struct Case
    {
        const char* what;
        juce::String content;
        std::function<juce::String()> read;
        juce::String expected;
        juce::File where;
    };

    const Case cases[] = {
        { "settings", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<local language=\"Spanish\">" + processingInstruction + "</local>", readSettings, "Spanish/xy", file },
        { "settings", entityLoop + "<r language=\"Spanish\">&a;</r>", readSettings, "none", file },
        { "login", "<SAVE user=\"F&#134;\" pass=\"F&#134;\">" + processingInstruction + "</SAVE>", readLogin, "ab/ab", file },
        { "login", entityLoop + "<r user=\"F&#134;\">&a;</r>", readLogin, "none", file },
        { "Info.plist", plistHead + plistBody, readPlist, "2.5", file },
        { "Info.plist", entityLoop + "<plist><dict><key>CFBundleVersion</key><string>2.5&a;</string></dict></plist>", readPlist, "0", file },
        { "components.xml", "<r><product id=\"1\"><product_title>A<?t?>B</product_title></product>" + processingInstruction + "</r>", readOffline, "1 AB", components },
        { "components.xml", entityLoop + "<r><product id=\"1\"><product_title>&a;</product_title></product></r>", readOffline, "0", components },
    };

    for (auto& c : cases)
    {
        ASSERT_TRUE (c.where.replaceWithText (c.content));
        EXPECT_EQ (readWithin (c.what + juce::String (": ") + c.content, c.read), c.expected) << c.what << ": " << c.content;
    }
}

using HostileServerOnline = ServerFixture;

TEST_F (HostileServerOnline, ProcessingInstructionsAndEntityLoopsEndEveryReply)
{
    const auto okWithInstruction = "<?xml version=\"1.0\"?><quordata response=\"OK\">" + processingInstruction
                                   + "<authapp version=\"3.5\" minvers=\"3.0\" macpath=\"u.zip\"/>"
                                     "<product id=\"1\"><product_title>A<?t?>B</product_title></product></quordata>";
    const auto okWithEntityLoop = entityLoop + "<quordata response=\"OK\">&a;<authapp version=\"3.5\"/>"
                                               "<product id=\"1\"><product_title>A</product_title></product></quordata>";

    const auto readReplies = []
    {
        using Outcome = ReplyEnvelope::Outcome;
        juce::String seen;

        // The update check, the registration pages, the login task and the catalogue request.
        auto version = ServerRequest ("GET_VERSION").readXml();
        seen << (int) VersionReply::read (version.get()).offer;

        auto registration = ServerRequest ("REGISTER_VERIFY_ACCOUNT_DETAILS").readXml();
        seen << " " << (ReplyEnvelope::check (registration.get()) == Outcome::ok ? "ok" : "no");

        juce::MemoryBlock login;
        seen << " " << (ServerRequest ("REQUEST_LICENCE").readBytes (login) ? parseLoginReply (XmlReading::parse (login).get()) : -1);

        auto& catalogue = ProductCatalogue::getInstance();
        seen << " " << (int) catalogue.requestComponents (nullptr) << " " << catalogue.getNumProducts();

        if (auto* first = catalogue.getProduct (0))
            seen << " " << first->getTitle();

        return seen;
    };

    for (auto* action : { "GET_VERSION", "REGISTER_VERIFY_ACCOUNT_DETAILS", "REQUEST_LICENCE" })
        server.setReply (action, { 200, okWithInstruction.toStdString() });

    server.setComponentsXml (okWithInstruction.toStdString());
    EXPECT_EQ (readWithin ("a reply with a processing instruction after text", readReplies), "2 ok 0 1 1 AB") << "an optional update, and every reply read";

    for (auto* action : { "GET_VERSION", "REGISTER_VERIFY_ACCOUNT_DETAILS", "REQUEST_LICENCE" })
        server.setReply (action, { 200, okWithEntityLoop.toStdString() });

    server.setComponentsXml (okWithEntityLoop.toStdString());
    EXPECT_EQ (readWithin ("a reply with an entity naming another", readReplies), "0 no 1 0 0") << "no reply anywhere";
}

TEST_F (HostileServerOnline, DeepAndOverlongRepliesAreFailedRequests)
{
    // 16 MB may take a checking build longer than the usual wait; the wait is not what is tested.
    const auto usualWait = ServerRequest::getMessageThreadTimeoutMs();
    ServerRequest::setMessageThreadTimeoutMs (600000);
    const std::unique_ptr<void, std::function<void (void*)>> restoreWait (this, [usualWait] (void*)
                                                                          { ServerRequest::setMessageThreadTimeoutMs (usualWait); });

    auto& catalogue = ProductCatalogue::getInstance();
    const auto product = BundleFixtures::productXml (1, "One", "1.0", 1);

    server.setComponentsXml ("<components>" + product.toStdString() + nested (20000).toStdString() + "</components>");
    EXPECT_FALSE (catalogue.requestComponents (nullptr));
    EXPECT_EQ (catalogue.getNumProducts(), 0);

    server.setComponentsXml ("<components>" + product.toStdString() + nested (250).toStdString() + "</components>");
    EXPECT_TRUE (catalogue.requestComponents (nullptr));
    EXPECT_EQ (catalogue.getNumProducts(), 1);

    // Past the bound on what is read: announced by its length, it is not read at all.
    const auto padding = std::string ((size_t) ServerRequest::maxReplyBytes, ' ');
    server.setComponentsXml ("<components>" + product.toStdString() + padding + "</components>");
    EXPECT_FALSE (catalogue.requestComponents (nullptr));

    // Without a length, the reading itself stops at the bound.
    StandInServer::Behaviour chunked;
    chunked.delivery = StandInServer::Delivery::chunked;
    server.setBehaviour ("REQUEST_COMPONENTS", chunked);

    juce::MemoryBlock reply;
    EXPECT_FALSE (ServerRequest ("REQUEST_COMPONENTS").readBytes (reply));
    EXPECT_EQ (reply.getSize(), (size_t) 0) << "nothing of a failed reply is kept";

    // Just within it, the reply is read.
    server.clearScripts();
    server.setComponentsXml ("<components>" + product.toStdString() + std::string ((size_t) ServerRequest::maxReplyBytes - 1000, ' ') + "</components>");
    EXPECT_TRUE (catalogue.requestComponents (nullptr));
    EXPECT_EQ (catalogue.getNumProducts(), 1);
}
