#pragma once

#include "catalogue/BundleFixtures.h"
#include "catalogue/PluginFolders.h"
#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"
#include "ui/screens/ProductStatusComponent.h"
#include "ui/screens/ProductStatusTableModel.h"
#include "ui/screens/TableInstallButton.h"
#include "ui/screens/TableUninstallButton.h"

#include <juce_gui_basics/juce_gui_basics.h>

// Catalogues and installed bundles for the format selector and the product status screen, laid
// out in the program's own plug-in folders (inside the private namespace).
namespace StatusScreenFixtures
{
// A product with a VST and an AU component named after its title.
inline juce::String product (int id, const juce::String& title, const juce::String& latest, const juce::String& extraComponents = {})
{
    return BundleFixtures::productXml (id, title, latest, id,
                                       BundleFixtures::componentXml ("VST", title + ".vst")
                                           + BundleFixtures::componentXml ("AU", title + ".component")
                                           + extraComponents);
}

// Installs a bundle of the title's format at that version in the format's standard folder.
inline void installVst (const juce::String& title, const juce::String& version)
{
    BundleFixtures::writeBundleWithVersion (juce::File (getDefaultVstFolder()), title + ".vst", version);
}

inline void installAu (const juce::String& title, const juce::String& version)
{
    BundleFixtures::writeBundleWithVersion (juce::File (getDefaultAuFolder()), title + ".component", version);
}

inline void removeInstalledBundles()
{
    for (auto folder : { getDefaultVstFolder(), getDefaultAuFolder(), getDefaultRtasFolder() })
        for (auto& child : juce::File (folder).findChildFiles (juce::File::findDirectories, false))
            child.deleteRecursively();
}

// Builds the catalogue from the products as the server's document.
inline ProductCatalogue& useProducts (const juce::String& productsXml)
{
    return BundleFixtures::buildCatalogue ("<components>" + productsXml + "</components>", true);
}

inline ProductRecord* findProduct (const juce::String& title)
{
    auto& catalogue = ProductCatalogue::getInstance();

    for (int i = 0; i < catalogue.getNumProducts(); ++i)
        if (catalogue.getProduct (i)->getTitle() == title)
            return catalogue.getProduct (i);

    return nullptr;
}

// The child with this component name, searched depth first.
inline juce::Component* findNamed (juce::Component& root, const juce::String& name)
{
    for (auto* child : root.getChildren())
    {
        if (child->getName() == name)
            return child;

        if (auto* found = findNamed (*child, name))
            return found;
    }

    return nullptr;
}

template <typename Type>
Type* findChildOfType (juce::Component& root)
{
    for (auto* child : root.getChildren())
    {
        if (auto* found = dynamic_cast<Type*> (child))
            return found;

        if (auto* found = findChildOfType<Type> (*child))
            return found;
    }

    return nullptr;
}
// The screen on the desktop, as the main window shows it.
struct ShownScreen
{
    ShownScreen()
    {
        holder.setBounds (0, 0, 785, 480);
        holder.addAndMakeVisible (screen);
        screen.setBounds (0, 0, 785, 480);
        holder.addToDesktop (0);
        holder.setVisible (true);
    }

    ~ShownScreen() { holder.removeAllChildren(); }

    juce::Component* cell (int column, int row) { return screen.getTable().getCellComponent (column, row); }
    juce::String text (int column, int row)
    {
        auto* label = dynamic_cast<juce::Label*> (cell (column, row));
        return label != nullptr ? label->getText() : "<no label>";
    }
    TableInstallButton* install (int row) { return dynamic_cast<TableInstallButton*> (cell (ProductStatusTableModel::installColumn, row)); }
    TableUninstallButton* uninstall (int row) { return dynamic_cast<TableUninstallButton*> (cell (ProductStatusTableModel::uninstallColumn, row)); }

    // Per bulk button (install all, update all, uninstall all): 'h' hidden, '-' greyed, 'e' enabled.
    juce::String bulkStates() const
    {
        juce::String states;

        for (int i = 3; i < 6; ++i)
        {
            auto* b = screen.getBarButton (i);
            states << (! b->isVisible() ? "h" : (b->isEnabled() ? "e" : "-"));
        }

        return states;
    }

    juce::Component holder;
    ProductStatusComponent screen;
};
} // namespace StatusScreenFixtures
