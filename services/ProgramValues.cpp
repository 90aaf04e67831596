#include "services/ProgramValues.h"

extern const unsigned char eulaTextData[];
extern const std::size_t eulaTextDataSize;

namespace
{
juce::String makeRequestUrl (const juce::String& origin)
{
    return origin + "/plugin_manager.htm";
}

juce::String makeRepositoryBaseUrl (const juce::String& origin)
{
    return origin + "/plugrepo/";
}

juce::String requestUrl{ makeRequestUrl (QUORVELAN_SERVER_ORIGIN) };
juce::String repositoryUrl{ makeRepositoryBaseUrl (QUORVELAN_SERVER_ORIGIN) };
} // namespace

const juce::String& serverRequestUrl = requestUrl;
const juce::String& repositoryBaseUrl = repositoryUrl;

void useServerOriginForTests (const juce::String& origin)
{
    requestUrl = makeRequestUrl (origin);
    repositoryUrl = makeRepositoryBaseUrl (origin);
}

const juce::String eulaText{ reinterpret_cast<const char*> (eulaTextData), eulaTextDataSize };

juce::String getVersionText()
{
    return juce::String (3.22, 2);
}

juce::String getEulaText()
{
    return eulaText;
}

bool beginCatalogueRefresh()
{
    return false;
}
