#include <gtest/gtest.h>

#include "app/SettingsFiles.h"
#include "catalogue/BundleFixtures.h"
#include "catalogue/InstalledBundles.h"
#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"
#include "catalogue/ServerRequest.h"
#include "platform/XmlReading.h"
#include "support/ServerFixture.h"

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

    for (auto* latest : { "inf", "1e309", "nan", "-inf", "INF", "1e3093333333333" })
        products << BundleFixtures::productXml (++order, latest, latest, order);

    products << BundleFixtures::productXml (++order, "fine", "2.5", order);

    for (auto* id : { "2147483648", "99999999999999999999", "-2147483649", "4294967295" })
        products << "<product id=\"" << id << "\"><product_title>" << id << "</product_title></product>";

    for (auto* id : { "2147483647", "-5", "0012" })
        products << "<product id=\"" << id << "\"><product_title>kept " << id << "</product_title></product>";

    // Display orders beyond the int range read as no number; those within it as they stand.
    const std::pair<const char*, int> orders[] = { { "4294967297", 0 }, { "2147483648", 0 }, { "-2147483649", 0 },
                                                   { "99999999999999999999", 0 }, { " -2147483648", -2147483647 - 1 },
                                                   { "17 ", 17 }, { "+17", 0 }, { "12abc", 12 } };

    for (int i = 0; i < (int) std::size (orders); ++i)
        products << "<product id=\"" << (100 + i) << "\"><display_order>" << orders[i].first << "</display_order></product>";

    auto& catalogue = BundleFixtures::buildCatalogue ("<r>" + products + "</r>", true);

    for (int id = 1; id <= 6; ++id)
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

    EXPECT_FLOAT_EQ (catalogue.findProductById (7)->getLatestVersion(), 2.5f);
    EXPECT_EQ (catalogue.getNumProducts(), 10 + (int) std::size (orders)) << "seven versions, three ids that fit and the orders";
    EXPECT_EQ (catalogue.findProductById (-1), nullptr) << "no id wraps round";
    ASSERT_NE (catalogue.findProductById (2147483647), nullptr);
    ASSERT_NE (catalogue.findProductById (-5), nullptr);
    ASSERT_NE (catalogue.findProductById (12), nullptr);
    EXPECT_EQ (catalogue.findProductById (12)->getTitle(), "kept 0012");
}

using HostileServerOnline = ServerFixture;

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
