#pragma once

#include "catalogue/BundleFixtures.h"
#include "catalogue/PluginFolders.h"
#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"

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
} // namespace StatusScreenFixtures
