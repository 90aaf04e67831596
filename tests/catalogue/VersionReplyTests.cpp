#include <gtest/gtest.h>

#include "catalogue/VersionReply.h"
#include "readers/XmlReading.h"

namespace
{
VersionReply readReply (const juce::String& xml)
{
    auto root = XmlReading::parse (xml);
    return VersionReply::read (root.get());
}

juce::String authapp (const juce::String& attributes)
{
    return "<quordata response=\"OK\"><authapp " + attributes + "/></quordata>";
}
} // namespace

TEST (VersionReply, OffersOnlyAVersionAboveThisOneInSinglePrecision)
{
    using Offer = VersionReply::Offer;

    const std::vector<std::pair<juce::String, Offer>> cases{
        { {}, Offer::noReply },
        { "not xml at all", Offer::noReply },
        { "<other response=\"OK\"><authapp version=\"9\"/></other>", Offer::noReply },
        { "<quordata response=\"ok\"><authapp version=\"9\"/></quordata>", Offer::noReply },
        { "<quordata response=\"ERROR\"><authapp version=\"9\"/></quordata>", Offer::noReply },
        { "<quordata response=\"OK\"/>", Offer::none },
        { authapp ("version=\"3.22\" minvers=\"3.0\""), Offer::none },
        { authapp ("version=\"3.2200001\""), Offer::none },
        { authapp ("minvers=\"3.5\""), Offer::none },
        { authapp ("version=\"abc\""), Offer::none },
        { authapp ("version=\"nan\""), Offer::none },
        { authapp ("version=\"1e39\""), Offer::none },
        { authapp ("version=\"1e3093333333333\""), Offer::none },
        { authapp ("version=\"1e4294967301\""), Offer::none },
        { authapp ("version=\"1e-3093333333333\" minvers=\"9\""), Offer::none },
        { authapp ("version=\"-5\" minvers=\"9\""), Offer::none },
        { authapp ("version=\"3.22\" minvers=\"3.5\""), Offer::none },
        { authapp ("version=\"3.221\""), Offer::optional },
        { authapp ("version=\"3.2200002\""), Offer::optional },
        { authapp ("version=\"3.5\" minvers=\"3.22\""), Offer::optional },
        { authapp ("version=\"3.5\" minvers=\"1e39\""), Offer::optional },
        { authapp ("version=\"3.5\" minvers=\"1e3093333333333\""), Offer::optional },
        { authapp ("version=\"3.5\" minvers=\"3.23\""), Offer::required },
        { "<QUORDATA RESPONSE=\"OK\"><AuthApp VERSION=\"3.5\" MinVers=\"3.23\" MACPATH=\"u.zip\"/></QUORDATA>", Offer::required },
    };

    for (auto& [xml, expected] : cases)
        EXPECT_EQ ((int) readReply (xml).offer, (int) expected) << xml;

    auto reply = readReply ("<QUORDATA RESPONSE=\"OK\"><AuthApp VERSION=\"3.5\" MinVers=\"3.23\" MACPATH=\"updates/MAC/A b.zip\"/></QUORDATA>");
    EXPECT_EQ (reply.version, 3.5f);
    EXPECT_EQ (reply.minimumVersion, 3.23f);
    EXPECT_EQ (reply.macPath, "updates/MAC/A b.zip");

    EXPECT_EQ (VersionReply::getProgramVersion(), 3.22f);
    EXPECT_EQ (VersionReply::readVersion ("inf"), 0.0f);
    EXPECT_EQ (VersionReply::readVersion ("-1e39"), 0.0f);
    EXPECT_EQ (VersionReply::readVersion ("3.4e38"), 3.4e38f);

    // Read as the framework reads a number, but range-checked: an exponent beyond any int is no
    // version rather than whatever an overflowing reader makes of it.
    const std::pair<const char*, float> texts[] = {
        { "1e3093333333333", 0.0f },
        { "1e4294967301", 0.0f },
        { "-1e3093333333333", 0.0f },
        { "1e-3093333333333", 0.0f },
        { "9e99999999999999999999", 0.0f },
        { "1e309", 0.0f },
        { " \t+3.5x", 3.5f },
        { "1.2.3", 1.2f },
        { "-2", -2.0f },
        { ".5", 0.5f },
        { "0x10", 0.0f },
        { "+-1", 0.0f },
        { "", 0.0f },
        { "3.22", 3.22f },
        { "00000000000000000000000003.5", 3.5f },
        { "1e-40", 1e-40f }
    };

    for (auto& [text, expected] : texts)
        EXPECT_EQ (VersionReply::readVersion (text), expected) << text;
}
