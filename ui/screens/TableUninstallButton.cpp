#include "ui/screens/TableUninstallButton.h"

#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"
#include "tasks/DownloadThread.h"
#include "ui/folders/FormatSelector.h"
#include "ui/screens/ProductStatusComponent.h"
#include "ui/widgets/PluginManagerAlertWindow.h"

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
        // The window does not own the selector: it goes first.
        FormatSelector selector (false, product);
        int result = PluginManagerAlertWindow::cancelResult;

        {
            PluginManagerAlertWindow window (TRANS ("LAB_UNINSTALL"), TRANS ("TXT_SELECT_FORMATS_TO_REMOVE"),
                                             juce::MessageBoxIconType::NoIcon);
            window.addCustomComponent (&selector);
            window.addButton (TRANS ("Uninstall"), 0);
            window.addButton (TRANS ("Cancel"), 1);
            result = window.runModalLoop();
        }

        if (result != 0)
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

    if (formats.isEmpty())
        return;

    InstallTaskList tasks;
    tasks.add (new InstallTask (productId, formats, locations));
    runInstallTasks (tasks, false);

    // The refresh deletes this button: nothing of it may be touched afterwards.
    ProductStatusComponent::refreshShownScreen();
}
