#include "ui/screens/TableInstallButton.h"

#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"
#include "tasks/DownloadThread.h"
#include "ui/folders/FormatSelector.h"
#include "ui/screens/ProductStatusComponent.h"
#include "ui/widgets/PluginManagerAlertWindow.h"

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
        // The window does not own the selector: it goes first.
        FormatSelector selector (true, product);
        int result = PluginManagerAlertWindow::cancelResult;

        {
            PluginManagerAlertWindow window (TRANS ("LAB_INSTALL_UPDATE"), TRANS ("LAB_SELECT_FORMATS_TO_UPDATE"),
                                             juce::MessageBoxIconType::NoIcon);
            window.addCustomComponent (&selector);
            window.addButton (TRANS ("BUT_INSTALL"), 0);
            window.addButton (TRANS ("BUT_CANCEL"), 1);
            result = window.runModalLoop();
        }

        if (result != 0)
            return;

        selector.getInstallChoice (formats, locations);
    }

    if (formats.isEmpty())
        return;

    InstallTaskList tasks;
    tasks.add (new InstallTask (productId, formats, locations));
    runInstallTasks (tasks, true);

    // The refresh deletes this button: nothing of it may be touched afterwards.
    ProductStatusComponent::refreshShownScreen();
}
