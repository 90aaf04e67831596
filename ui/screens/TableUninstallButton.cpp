#include "ui/screens/TableUninstallButton.h"

#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"
#include "ui/folders/FormatSelector.h"
#include "ui/screens/ProductStatusComponent.h"

TableUninstallButton::TableUninstallButton (int rowIndex)
    : row (rowIndex)
{
}

void TableUninstallButton::clicked()
{
    auto* product = ProductCatalogue::getInstance().getProduct (row);

    if (product == nullptr || ! product->isInstalled())
        return;

    const auto productId = product->getId();
    const auto found = product->getInstalledFolders();
    juce::StringArray formats;
    FormatLocations locations;

    {
        FormatSelector selector (false, product);

        if (! ProductStatusComponent::askForFormats (selector, TRANS ("LAB_UNINSTALL"), TRANS ("TXT_SELECT_FORMATS_TO_REMOVE"),
                                                     TRANS ("Uninstall"), TRANS ("Cancel")))
            return;

        const std::tuple<bool, const char*, juce::String FormatLocations::*> choices[] = {
            { selector.getAuTick(), "AU", &FormatLocations::au },
            { selector.getVstTick(), "VST", &FormatLocations::vst },
            { selector.getVst64Tick(), "VST64", &FormatLocations::vst64 },
            { selector.getRtasTick(), "RTAS", &FormatLocations::rtas },
        };

        for (auto& [ticked, format, folder] : choices)
        {
            if (ticked)
            {
                formats.add (format);
                locations.*folder = found.*folder;
            }
        }
    }

    // This button goes with the refresh at the end: nothing of it may be touched afterwards.
    ProductStatusComponent::runProductTask (productId, formats, locations, false);
}
