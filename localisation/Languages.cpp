#include "localisation/Languages.h"

#include "platform/PlatformLocale.h"
#include "resources/ResourceArchive.h"
#include "services/SettingsFiles.h"

const char* const languageCsvFiles[numLanguages] = { "english.csv", "spanish.csv" };
const char* const languageLocaleIds[numLanguages] = { "en", "es" };
const char* const languageNames[numLanguages] = { "English", "Spanish" };

int currentLanguageIndex = 0;

namespace
{
juce::File getLocalFile()
{
    return SettingsFiles::getSettingsFile ("local");
}

int chooseLocaleLanguage()
{
    char identifier[10] = {};

    if (! PlatformLocale::copyCurrentLocaleIdentifier (identifier, (int) sizeof (identifier)))
        return chooseLanguageForLocale (nullptr);

    return chooseLanguageForLocale (identifier);
}

// Set when "local" exists but cannot be read: the customer's choice in it is then not overwritten
// at start.
bool localFileUnreadable = false;

void installLanguageTable (int index)
{
    auto entryName = juce::String ("Localisation/") + languageCsvFiles[index];

    if (auto stream = ResourceArchive::getInstance().createStreamFor (entryName.toRawUTF8()))
    {
        auto text = stream->readEntireStreamAsString();
        juce::LocalisedStrings::setCurrentMappings (new juce::LocalisedStrings (text, false));
    }
}
} // namespace

int chooseLanguageForLocale (const char* localeIdentifier)
{
    if (localeIdentifier == nullptr)
        return 0;

    const juce::String identifier (localeIdentifier);

    for (int i = 0; i < numLanguages; ++i)
        if (identifier.contains (languageLocaleIds[i]))
            return i;

    return 0;
}

int chooseLanguage()
{
    localFileUnreadable = false;
    auto localFile = getLocalFile();

    if (! localFile.exists())
        return chooseLocaleLanguage();

    auto root = SettingsFiles::readXml (localFile);

    if (root == nullptr)
    {
        localFileUnreadable = true;
        return chooseLocaleLanguage();
    }

    auto language = root->getStringAttribute ("language");

    if (language.isEmpty())
        return 0;

    for (int i = 0; i < numLanguages; ++i)
        if (language == languageNames[i])
            return i;

    return 0;
}

void loadLanguageTable (int index)
{
    installLanguageTable (index);
    saveLanguage();
}

void initLanguage()
{
    currentLanguageIndex = chooseLanguage();

    if (localFileUnreadable)
        installLanguageTable (currentLanguageIndex);
    else
        loadLanguageTable (currentLanguageIndex);
}

void setLanguage (int index)
{
    if (index < 0 || index >= numLanguages)
    {
        jassertfalse;
        return;
    }

    currentLanguageIndex = index;

    if (localFileUnreadable)
        installLanguageTable (index);
    else
        loadLanguageTable (index);
}

void pickLanguage (int index)
{
    if (index < 0 || index >= numLanguages)
    {
        jassertfalse;
        return;
    }

    localFileUnreadable = false;
    setLanguage (index);
}

void saveLanguage()
{
    juce::XmlElement local ("local");
    local.setAttribute ("language", languageNames[currentLanguageIndex]);
    SettingsFiles::writeXml (local, getLocalFile());
}
