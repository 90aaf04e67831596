#include "ui/screens/TableInstallButton.h"

#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"
#include "ui/folders/FormatSelector.h"
#include "ui/screens/ProductStatusComponent.h"

TableInstallButton::TableInstallButton (ProductStatusComponent& owner, int rowIndex)
    : InstallButton (&owner.getTicker())
    , bounceTicker (owner.getTicker())
    , row (rowIndex)
{
}

TableInstallButton::~TableInstallButton()
{
    bounceTicker.detach ("updatebuttonbounce", this);
}

void TableInstallButton::clicked()
{
    auto* product = ProductCatalogue::getInstance().getProduct (row);

    if (product == nullptr)
        return;

    const auto productId = product->getId();
    juce::StringArray formats;
    FormatLocations locations;

    {
        FormatSelector selector (true, product);

        if (! ProductStatusComponent::askForFormats (selector, TRANS ("LAB_INSTALL_UPDATE"), TRANS ("LAB_SELECT_FORMATS_TO_UPDATE"),
                                                     TRANS ("BUT_INSTALL"), TRANS ("BUT_CANCEL")))
            return;

        selector.getInstallChoice (formats, locations);
    }

    // This button goes with the refresh at the end: nothing of it may be touched afterwards.
    ProductStatusComponent::runProductTask (productId, formats, locations, true);
}
