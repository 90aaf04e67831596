#include <gtest/gtest.h>

#include "localisation/Languages.h"
#include "platform/PlatformLocale.h"
#include "resources/ResourceArchive.h"
#include "services/SettingsFiles.h"
#include "support/TestEnvironment.h"

using TestEnvironment::ScopedEnvironmentVariable;

namespace
{
class Language : public testing::Test
{
protected:
    void SetUp() override
    {
        TestEnvironment::useFreshHome();
        SettingsFiles::createSettingsFolder();
    }

    void TearDown() override { setLanguage (0); }

    static juce::File localFile() { return SettingsFiles::getSettingsFile ("local"); }

    static void writeLocal (const juce::String& text) { ASSERT_TRUE (localFile().replaceWithText (text)); }

    static juce::String localLanguage()
    {
        auto root = juce::parseXML (localFile());
        return root != nullptr ? root->getStringAttribute ("language") : juce::String ("<unreadable>");
    }
};

// The settings a user's session may carry, in the order the C library reads them.
struct LocaleSettings
{
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
};

int chooseWith (LocaleSettings settings)
{
    ScopedEnvironmentVariable a ("LC_ALL", settings.lcAll);
    ScopedEnvironmentVariable m ("LC_MESSAGES", settings.lcMessages);
    ScopedEnvironmentVariable l ("LANG", settings.lang);
    return chooseLanguage();
}

juce::StringArray readKeys (const juce::String& csv)
{
    juce::StringArray keys;

    for (auto& line : juce::StringArray::fromLines (csv))
        if (line.startsWithChar ('"'))
            keys.add (line.fromFirstOccurrenceOf ("\"", false, false).upToFirstOccurrenceOf ("\"=\"", false, false));

    return keys;
}

juce::String readEntry (const char* name)
{
    auto stream = ResourceArchive::getInstance().createStreamFor (name);
    return stream != nullptr ? stream->readEntireStreamAsString() : juce::String();
}
} // namespace

TEST (PlatformLocale, IdentifierFromLocaleSettings)
{
    struct Case
    {
        const char* setting;
        const char* identifier;
    };

    for (auto c : { Case{ "es_MX.UTF-8", "es_MX" }, Case{ "de_DE@euro", "de_DE" },
                    Case{ "en_US.utf8@mod", "en_US" }, Case{ "fr_FR", "fr_FR" }, Case{ "es", "es" },
                    Case{ "C", "" }, Case{ "C.UTF-8", "" }, Case{ "POSIX", "" }, Case{ "", "" } })
        EXPECT_EQ (PlatformLocale::identifierFromSetting (c.setting), c.identifier) << c.setting;

    {
        ScopedEnvironmentVariable a ("LC_ALL", "es_AR.UTF-8"), m ("LC_MESSAGES", "fr_FR"), l ("LANG", "en_GB");
        EXPECT_EQ (PlatformLocale::getCurrentLocaleIdentifier(), "es_AR");
    }
    {
        ScopedEnvironmentVariable a ("LC_ALL", ""), m ("LC_MESSAGES", "fr_FR"), l ("LANG", "en_GB");
        EXPECT_EQ (PlatformLocale::getCurrentLocaleIdentifier(), "fr_FR");
    }
    {
        ScopedEnvironmentVariable a ("LC_ALL", nullptr), m ("LC_MESSAGES", nullptr), l ("LANG", "es_CL.ISO-8859-1");
        EXPECT_EQ (PlatformLocale::getCurrentLocaleIdentifier(), "es_CL");
    }
    {
        ScopedEnvironmentVariable a ("LC_ALL", nullptr), m ("LC_MESSAGES", nullptr), l ("LANG", nullptr);
        EXPECT_EQ (PlatformLocale::getCurrentLocaleIdentifier(), "");
    }
}

TEST (PlatformLocale, CopyIntoTenByteBuffer)
{
    char buffer[10];

    EXPECT_TRUE (PlatformLocale::copyAscii ("es_MX", buffer, 10));
    EXPECT_STREQ (buffer, "es_MX");

    EXPECT_TRUE (PlatformLocale::copyAscii ("123456789", buffer, 10));
    EXPECT_STREQ (buffer, "123456789");

    EXPECT_FALSE (PlatformLocale::copyAscii ("1234567890", buffer, 10));
    EXPECT_STREQ (buffer, "");

    EXPECT_FALSE (PlatformLocale::copyAscii (juce::String::fromUTF8 ("es_\xc3\x91"), buffer, 10));
    EXPECT_STREQ (buffer, "");
}

TEST_F (Language, FirstStartFollowsTheLocale)
{
    ASSERT_FALSE (localFile().exists());

    EXPECT_EQ (chooseWith ({ nullptr, nullptr, "es_MX.UTF-8" }), 1);
    EXPECT_EQ (chooseWith ({ "es_ES", nullptr, "en_GB" }), 1);
    EXPECT_EQ (chooseWith ({ nullptr, nullptr, "en_GB.UTF-8" }), 0);
    EXPECT_EQ (chooseWith ({ nullptr, nullptr, "fr_FR.UTF-8" }), 0);
    EXPECT_EQ (chooseWith ({ nullptr, nullptr, "C" }), 0);
    EXPECT_EQ (chooseWith ({ nullptr, nullptr, nullptr }), 0);

    // Ids are found anywhere in the identifier, case-sensitively, "en" before "es".
    EXPECT_EQ (chooseWith ({ nullptr, nullptr, "es_EN" }), 1);
    EXPECT_EQ (chooseWith ({ nullptr, nullptr, "ben_ES" }), 0);

    // Too long for the ten-byte buffer.
    EXPECT_EQ (chooseWith ({ nullptr, nullptr, "es_ES_tradnl" }), 0);
}

TEST_F (Language, RememberedLanguageWins)
{
    struct Case
    {
        const char* local;
        int expected;
    };

    const Case cases[] = {
        { "<local language=\"Spanish\"/>", 1 },
        { "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<anything language=\"Spanish\"/>", 1 },
        { "<local language=\"spanish\"/>", 0 },
        { "<local language=\"English\"/>", 0 },
        { "<local language=\"\"/>", 0 },
        { "<local/>", 0 },
        { "<local language=\"French\"/>", 0 },
    };

    for (auto& c : cases)
    {
        writeLocal (c.local);
        EXPECT_EQ (chooseWith ({ nullptr, nullptr, "es_ES.UTF-8" }), c.expected) << c.local;
        EXPECT_EQ (chooseWith ({ nullptr, nullptr, "en_US.UTF-8" }), c.expected) << c.local;
    }

    // A file that cannot be read holds no choice: the locale's language is used.
    const juce::String tooDeep = juce::String::repeatedString ("<a>", 100000) + juce::String::repeatedString ("</a>", 100000);

    for (auto& unreadable : { juce::String ("not xml at all"), juce::String(), tooDeep })
    {
        writeLocal (unreadable);
        EXPECT_EQ (chooseWith ({ nullptr, nullptr, "es_ES.UTF-8" }), 1) << unreadable.substring (0, 20);
        EXPECT_EQ (chooseWith ({ nullptr, nullptr, "en_US.UTF-8" }), 0) << unreadable.substring (0, 20);
    }
}

TEST_F (Language, UnreadableLocalIsKeptAtStart)
{
    // Nested far deeper than any settings file, then not XML at all.
    const auto deep = juce::String::repeatedString ("<local language=\"Spanish\">", 100000)
                      + juce::String::repeatedString ("</local>", 100000);
    writeLocal (deep);

    {
        ScopedEnvironmentVariable a ("LC_ALL", "es_ES.UTF-8");
        initLanguage();
    }

    EXPECT_EQ (currentLanguageIndex, 1);
    EXPECT_EQ (TRANS ("OK"), "Aceptar");
    EXPECT_EQ (SettingsFiles::getSettingsFile ("local").loadFileAsString(), deep) << "the customer's file is not overwritten";

    writeLocal ("language=Spanish");

    {
        ScopedEnvironmentVariable a ("LC_ALL", "en_GB.UTF-8");
        initLanguage();
    }

    EXPECT_EQ (currentLanguageIndex, 0);
    EXPECT_EQ (SettingsFiles::getSettingsFile ("local").loadFileAsString(), "language=Spanish");

    // A readable file is rewritten as before.
    writeLocal ("<local language=\"Spanish\"/>");
    initLanguage();
    EXPECT_EQ (localLanguage(), "Spanish");
    EXPECT_NE (SettingsFiles::getSettingsFile ("local").loadFileAsString(), "<local language=\"Spanish\"/>");
}

TEST_F (Language, StartUpInstallsTableAndRewritesLocal)
{
    {
        ScopedEnvironmentVariable a ("LC_ALL", "es_MX.UTF-8");
        initLanguage();
    }

    EXPECT_EQ (currentLanguageIndex, 1);
    EXPECT_EQ (TRANS ("OK"), "Aceptar");
    EXPECT_EQ (TRANS ("LAB_NOTHING"), "LAB_NOTHING");
    EXPECT_EQ (localLanguage(), "Spanish");

    auto text = localFile().loadFileAsString();
    EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    auto root = juce::parseXML (text);
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getTagName(), "local");
    EXPECT_EQ (root->getNumAttributes(), 1);
    EXPECT_EQ (root->getNumChildElements(), 0);

    // The next start reads the remembered choice, whatever the locale, and writes it again.
    localFile().setLastModificationTime (juce::Time (2000, 0, 1, 0, 0));
    {
        ScopedEnvironmentVariable a ("LC_ALL", "en_GB.UTF-8");
        initLanguage();
    }
    EXPECT_EQ (currentLanguageIndex, 1);
    EXPECT_GT (localFile().getLastModificationTime().getYear(), 2000);

    setLanguage (0);
    EXPECT_EQ (TRANS ("OK"), "OK");
    EXPECT_EQ (TRANS ("TXT_APP_TITLE"), "Quorvelan Plug-in Manager");
    EXPECT_EQ (localLanguage(), "English");
}

TEST_F (Language, LocalWithoutSettingsFolderIsNotWritten)
{
    SettingsFiles::getSettingsFolder().deleteRecursively();

    {
        ScopedEnvironmentVariable a ("LC_ALL", "es_MX.UTF-8");
        initLanguage();
    }

    EXPECT_EQ (currentLanguageIndex, 1);
    EXPECT_EQ (TRANS ("BUT_RETRY"), "Reintentar");
    EXPECT_FALSE (localFile().exists());
}

TEST (StringTables, BothHoldEveryKeyInOrder)
{
    auto english = readEntry ("Localisation/english.csv");
    auto spanish = readEntry ("Localisation/spanish.csv");
    ASSERT_TRUE (english.isNotEmpty());
    ASSERT_TRUE (spanish.isNotEmpty());

    auto expectedKeys = juce::StringArray::fromLines (
        juce::File (QUORVELAN_SOURCE_DIR "/resources/Localisation/keys.txt").loadFileAsString().trimEnd());
    ASSERT_GT (expectedKeys.size(), 150);

    for (auto* table : { &english, &spanish })
    {
        EXPECT_FALSE (table->startsWithChar ((juce::juce_wchar) 0xfeff)) << "no byte-order mark";
        EXPECT_FALSE (table->contains ("\r")) << "LF line ends";

        auto keys = readKeys (*table);
        EXPECT_EQ (keys.size(), expectedKeys.size() + 1) << "one key, \"Cancel\", is given twice";

        auto firstOccurrences = keys;
        firstOccurrences.removeDuplicates (false);
        EXPECT_EQ (firstOccurrences, expectedKeys);

        for (auto& line : juce::StringArray::fromLines (*table))
            if (line.isNotEmpty())
                EXPECT_TRUE (line == "=" || (line.startsWithChar ('"') && line.contains ("\"=\"") && line.endsWithChar ('"'))) << line;
    }

    juce::LocalisedStrings englishTable (english, false), spanishTable (spanish, false);
    EXPECT_EQ (englishTable.translate ("Cancel"), "CANCEL");
    EXPECT_EQ (englishTable.translate ("LAB_EULA"), "End User Licence Agreement (EULA)");
    EXPECT_EQ (englishTable.translate ("TXT_APP_TITLE"), "Quorvelan Plug-in Manager");
    EXPECT_EQ (englishTable.translate ("LAB_CHECKING_FOR_UPDATE"), "Checking for application updates");

    int untranslated = 0;
    for (auto& key : expectedKeys)
    {
        EXPECT_TRUE (englishTable.getMappings().containsKey (key)) << key;
        EXPECT_TRUE (spanishTable.getMappings().containsKey (key)) << key;
        EXPECT_TRUE (englishTable.translate (key).isNotEmpty()) << key;
        untranslated += englishTable.translate (key) == spanishTable.translate (key) ? 1 : 0;
    }

    EXPECT_LT (untranslated, 12) << "the Spanish table is a translation, not a copy";
}
