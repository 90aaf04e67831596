#pragma once

#include <juce_core/juce_core.h>

// The user's current locale identifier, as the desktop's locale service gives it: language and
// region ("es_MX"), without encoding or modifier.
class PlatformLocale final
{
public:
    // Read from the user's locale settings in the order the C library reads them:
    // LC_ALL, LC_MESSAGES, then LANG. "C", "POSIX" or nothing set give an empty identifier.
    static juce::String getCurrentLocaleIdentifier();

    // Turns a locale setting such as "es_MX.UTF-8@euro" into its identifier ("es_MX").
    static juce::String identifierFromSetting (const juce::String& setting);

    // Copies the identifier as ASCII with its terminating zero. Fails, leaving an empty buffer,
    // when it does not fit or is not ASCII.
    static bool copyCurrentLocaleIdentifier (char* buffer, int bufferSize);
    static bool copyAscii (const juce::String& identifier, char* buffer, int bufferSize);

private:
    PlatformLocale() = delete;
};
