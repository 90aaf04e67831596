#include <gtest/gtest.h>

#include "readers/XmlReading.h"
#include "services/RememberedLogin.h"
#include "services/SettingsFiles.h"
#include "standin/StandInServer.h"

namespace
{
juce::String asText (const juce::MemoryBlock& bytes)
{
    return juce::String::fromUTF8 (static_cast<const char*> (bytes.getData()), (int) bytes.getSize());
}

juce::String writtenSettings (const juce::XmlElement& root)
{
    return asText (SettingsFiles::formatXml (root));
}
} // namespace

TEST (XmlReading, BuildsTheFrameworksTreeForTheDocumentsTheProgramReads)
{
    juce::XmlElement local ("local");
    local.setAttribute ("language", "Spanish");

    juce::XmlElement init ("Initialisation");
    init.createNewChildElement ("eula")->setAttribute ("acceptance", "YES");
    init.createNewChildElement ("local")->setAttribute ("language", "English");

    const juce::String documents[] = {
        // Replies as the stand-in server writes them.
        StandInServer::makeVersionXml ("3.5", "3.0", "updates/MAC/Quorvelan Plugin Manager.app.zip"),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quordata response=\"OK\"><user id=\"17\"><name>Demo Customer</name>"
        "<company>Quorvelan &amp; Co</company></user></quordata>\n",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quordata response=\"ERROR\"><error>INVALID_EMAIL</error>"
        "<error>Se\xc3\xb1or &lt;x&gt; &quot;y&quot; &apos;z&apos;</error></quordata>\n",
        // A components document as the sample catalogue writes it, indented.
        "<?xml version='1.0' encoding='UTF-8'?>\n<quordata response=\"OK\">\n  <product id=\"101\">\n"
        "    <product_title>Quorvelan Echo</product_title>\n    <latest_version>1.2</latest_version>\n"
        "    <display_order>2</display_order>\n    <component platform=\"MAC\" format=\"VST\">Quorvelan Echo.vst</component>\n"
        "    <component platform=\"MAC\" format=\"VST\" action=\"REMOVE\">Quorvelan Echo Legacy.vst</component>\n"
        "  </product>\n</quordata>",
        // Settings files as we write them.
        writtenSettings (local),
        writtenSettings (init),
        // An Info.plist with its document-type line, tabs and line ends.
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\r\n<plist version=\"1.0\">\r\n<dict>\r\n\t<key>CFBundleName</key>\r\n"
        "\t<string>My Plug</string>\r\n\t<key>CFBundleVersion</key>\r\n\t<string>2.05</string>\r\n</dict>\r\n</plist>\r\n",
        // Text split by elements, joined across comments, with blanks kept; CDATA on its own.
        "<a b=\"&amp;&#233;&#x20AC;\"><![CDATA[x]]><!-- c --><c/> t <!-- c --> u\r\nv &amp; <d/>   <![CDATA[  ]]></a>",
    };

    for (auto& document : documents)
    {
        auto framework = juce::parseXML (document);
        auto ours = XmlReading::parse (document);

        ASSERT_NE (framework, nullptr) << document;
        ASSERT_NE (ours, nullptr) << document;
        EXPECT_TRUE (ours->isEquivalentTo (framework.get(), false)) << document << "\n"
                                                                    << ours->toString() << "\n"
                                                                    << framework->toString();
    }

    // The login file, with the control characters its scrambled texts hold, read the wider way.
    const auto login = asText (RememberedLogin::makeFileContent ("demo@quorvelan.com", "P@ss\tword"));
    auto framework = juce::parseXML (login);
    auto ours = XmlReading::parse (login.toRawUTF8(), login.getNumBytesAsUTF8(), XmlReading::CharacterReferences::anyScalar);
    ASSERT_NE (ours, nullptr);
    EXPECT_TRUE (ours->isEquivalentTo (framework.get(), false)) << ours->toString() << "\n"
                                                                << framework->toString();
    EXPECT_EQ (XmlReading::parse (login), nullptr) << "XML 1.0 has no reference to a control character";
}

TEST (XmlReading, TakesOnlyWellFormedUnicodeDocumentsWithoutDeclarationsOrFetching)
{
    const auto plistLine = juce::String ("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">");

    struct Case
    {
        const char* what;
        std::string bytes;
        bool read;
    };

    const Case cases[] = {
        { "document-type line", (plistLine + "<plist/>").toStdString(), true },
        { "system document type", "<!DOCTYPE r SYSTEM \"file:///etc/passwd\"><r/>", true },
        { "entity only an external subset could declare", (plistLine + "<plist>&x;</plist>").toStdString(), false },
        { "internal subset", "<!DOCTYPE r [<!ELEMENT r ANY>]><r/>", false },
        { "entity declaration", "<!DOCTYPE r [<!ENTITY x \"y\">]><r>&x;</r>", false },
        { "external entity", "<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><r>&x;</r>", false },
        { "parameter entity", "<!DOCTYPE r [<!ENTITY % p SYSTEM \"http://127.0.0.1:1/x\"> %p;]><r/>", false },
        { "UTF-8 with its mark", "\xef\xbb\xbf<r>\xc3\xb1</r>", true },
        { "US-ASCII", "<?xml version=\"1.0\" encoding=\"US-ASCII\"?><r>a</r>", true },
        { "US-ASCII holding other bytes", "<?xml version=\"1.0\" encoding=\"US-ASCII\"?><r>\xc3\xb1</r>", false },
        { "Latin-1 declared", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>\xf1</r>", false },
        { "invalid UTF-8", "<r>\xff</r>", false },
        { "overlong UTF-8", "<r>\xc0\xaf</r>", false },
        { "surrogate in UTF-8", "<r>\xed\xa0\x80</r>", false },
        { "zero byte", std::string ("<r>a\0b</r>", 9), false },
        { "UTF-16 without its mark", std::string ("<\0r\0/\0>\0", 8), false },
        { "UTF-16 with its mark", std::string ("\xff\xfe<\0r\0/\0>\0", 10), true },
        { "UTF-16 declared as UTF-8", std::string ("\xfe\xff\0<\0?\0x\0m\0l\0 \0v\0e\0r\0s\0i\0o\0n\0=\0'\0"
                                                   "1\0.\0"
                                                   "0\0'\0 \0e\0n\0c\0o\0d\0i\0n\0g\0=\0'\0U\0T\0F\0-\0"
                                                   "8\0'\0?\0>\0<\0r\0/\0>",
                                                   72),
          false },
        { "text after the root", "<r/>x", false },
        { "two roots", "<r/><r/>", false },
        { "cut", "<r><a>", false },
        { "64 attributes", "<r" + juce::String ([]
                                                { juce::String a; for (int i = 0; i < 64; ++i) a << " a" << i << "=\"\""; return a; }())
                                      .toStdString()
                               + "/>",
          true },
        { "65 attributes", "<r" + juce::String ([]
                                                { juce::String a; for (int i = 0; i < 65; ++i) a << " a" << i << "=\"\""; return a; }())
                                      .toStdString()
                               + "/>",
          false },
        { "empty", "", false },
    };

    for (auto& c : cases)
        EXPECT_EQ (XmlReading::parse (c.bytes.data(), c.bytes.size()) != nullptr, c.read) << c.what;
}
