#include "app/ProgramValues.h"

extern const unsigned char eulaTextData[];
extern const std::size_t eulaTextDataSize;

const juce::String serverRequestUrl{ QUORVELAN_SERVER_ORIGIN "/plugin_manager.htm" };
const juce::String repositoryBaseUrl{ QUORVELAN_SERVER_ORIGIN "/plugrepo/" };

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
