#include "platform/PlatformLocale.h"

juce::String PlatformLocale::identifierFromSetting (const juce::String& setting)
{
    auto identifier = setting.upToFirstOccurrenceOf (".", false, false)
                          .upToFirstOccurrenceOf ("@", false, false)
                          .trim();

    if (identifier == "C" || identifier == "POSIX")
        return {};

    return identifier.replaceCharacter ('-', '_');
}

juce::String PlatformLocale::getCurrentLocaleIdentifier()
{
    for (auto* variable : { "LC_ALL", "LC_MESSAGES", "LANG" })
    {
        auto setting = juce::SystemStats::getEnvironmentVariable (variable, {});

        if (setting.isNotEmpty())
            return identifierFromSetting (setting);
    }

    return {};
}

bool PlatformLocale::copyAscii (const juce::String& identifier, char* buffer, int bufferSize)
{
    if (buffer == nullptr || bufferSize <= 0)
        return false;

    buffer[0] = 0;

    if (identifier.length() >= bufferSize)
        return false;

    for (auto c : identifier)
        if (c <= 0 || c > 127)
            return false;

    identifier.copyToUTF8 (buffer, (size_t) bufferSize);
    return true;
}

bool PlatformLocale::copyCurrentLocaleIdentifier (char* buffer, int bufferSize)
{
    return copyAscii (getCurrentLocaleIdentifier(), buffer, bufferSize);
}
