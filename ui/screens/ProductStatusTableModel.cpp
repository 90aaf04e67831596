#include "ui/screens/ProductStatusTableModel.h"

#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"
#include "ui/screens/TableInstallButton.h"
#include "ui/screens/TableUninstallButton.h"

ProductStatusTableModel::ProductStatusTableModel (ProductStatusComponent& ownerScreen)
    : owner (ownerScreen)
{
}

int ProductStatusTableModel::getNumRows()
{
    return ProductCatalogue::getInstance().getNumProducts();
}

void ProductStatusTableModel::paintRowBackground (juce::Graphics& g, int, int, int, bool)
{
    g.fillAll (juce::Colours::black);
}

juce::Component* ProductStatusTableModel::refreshComponentForCell (int rowNumber, int columnId, bool,
                                                                   juce::Component* existingComponentToUpdate)
{
    // The table hands over the cell's old component; a new one replaces it on every refresh.
    std::unique_ptr<juce::Component> existing (existingComponentToUpdate);
    existing.reset();

    auto* product = ProductCatalogue::getInstance().getProduct (rowNumber);

    if (product == nullptr)
        return nullptr;

    switch (columnId)
    {
        case pluginColumn:
            return new juce::Label ({}, product->getTitle());

        case versionColumn:
        {
            // With nothing installed the version is left as given: "not installed".
            auto versionText = TRANS ("TXT_NOT_INSTALLED");
            product->getHighestInstalledVersion (versionText);

            // Squeezed rather than cut short in the narrow column.
            auto* label = new juce::Label ({}, versionText);
            label->setTooltip (product->getVersionTooltip());
            label->setBorderSize ({ 1, 2, 1, 2 });
            label->setMinimumHorizontalScale (0.5f);
            return label;
        }

        case installColumn:
        {
            auto outOfDate = product->getOutOfDateComponents().size();
            auto all = product->isFullyInstalled();
            auto* button = new TableInstallButton (owner, rowNumber);

            if (outOfDate < 1)
            {
                button->setMode (1);
                button->setTooltip (TRANS (all ? "TT_ALL_VERSIONS_INSTALLED" : "TT_INSTALL_ADDITIONAL"));
                button->setEnabled (! all);
            }
            else
            {
                button->setMode (0);
                button->setTooltip (TRANS (all ? "TT_UPDATE" : "TT_UPDATE_INSTALL_ADDITIONAL"));
                button->setEnabled (true);
            }

            return button;
        }

        case uninstallColumn:
        {
            auto* button = new TableUninstallButton (rowNumber);
            auto installed = product->isInstalled();
            button->setTooltip (TRANS (installed ? "TT_REMOVAL_OPTIONS" : "TT_PLUGIN_NOT_INSTALLED"));
            button->setEnabled (installed);
            return button;
        }

        default:
            return nullptr;
    }
}
