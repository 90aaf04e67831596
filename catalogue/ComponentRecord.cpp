#include "catalogue/ComponentRecord.h"

ComponentRecord::ComponentRecord (const juce::String& nameToUse, const juce::String& formatToUse,
                                  const juce::String& platformToUse, const juce::String& urlToUse,
                                  bool isOnline, bool isObsolete)
    : name (nameToUse)
    , format (formatToUse)
    , platform (platformToUse)
    , url (urlToUse)
    , online (isOnline)
    , remove (isObsolete)
{
}
