// Builds a catalogue of 200 products x 4 components over a plug-in tree of 3,000 bundles and
// prints the build time beside the time of one recursive walk of the same tree. Run it inside
// the private namespace (tests/scripts/in_private_root.sh): it writes below /Library.

#include "catalogue/BundleFixtures.h"
#include "catalogue/PluginFolders.h"
#include "catalogue/ProductCatalogue.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>

int main()
{
    juce::ScopedJuceInitialiser_GUI juceLibrary;

    if (juce::File ("/Library").getNumberOfChildFiles (juce::File::findFilesAndDirectories) > 0)
    {
        std::cerr << "Run this inside tests/scripts/in_private_root.sh: /Library is not empty.\n";
        return 1;
    }

    const char* formats[] = { "VST", "AU", "VST", "AU" };
    const juce::File folders[] = { juce::File (getDefaultVstFolder()), juce::File (getDefaultAuFolder()) };

    // 3,000 bundles: the 800 components of the catalogue, half of them installed (a quarter in
    // vendor sub-folders), and 2,600 other plug-ins in vendor sub-folders.
    int bundles = 0;
    juce::String xml ("<components>");

    for (int p = 0; p < 200; ++p)
    {
        juce::String components;

        for (int c = 0; c < 4; ++c)
        {
            auto name = "Product" + juce::String (p) + "_" + juce::String (c) + (c % 2 == 0 ? ".vst" : ".component");
            components << BundleFixtures::componentXml (formats[c], name);

            if (c < 2)
            {
                auto folder = folders[c % 2];
                BundleFixtures::writeBundleWithVersion (p % 4 == 0 ? folder.getChildFile ("Vendor" + juce::String (p % 7)) : folder,
                                                        name, "1.2");
                ++bundles;
            }
        }

        xml << BundleFixtures::productXml (p, "Product " + juce::String (p), "1.5", 200 - p, components);
    }

    xml << "</components>";

    for (int i = 0; bundles < 3000; ++i, ++bundles)
        BundleFixtures::writeBundleWithVersion (folders[i % 2].getChildFile ("Other" + juce::String (i % 40)),
                                                "Other" + juce::String (i) + ".vst", "2.0");

    auto& catalogue = ProductCatalogue::getInstance();
    catalogue.useComponentsXml (juce::parseXML (xml), true);

    int entries = 0;
    double walk = 0.0, build = 0.0, secondBuild = 0.0;

    {
        juce::ScopedTimeMeasurement measure (walk);

        for (auto& folder : folders)
            entries += folder.findChildFiles (juce::File::findFilesAndDirectories, true).size();
    }

    {
        juce::ScopedTimeMeasurement measure (build);
        catalogue.buildFromXml (nullptr);
    }

    {
        juce::ScopedTimeMeasurement measure (secondBuild);
        catalogue.buildFromXml (nullptr);
    }

    std::cout << "bundles: " << bundles << ", entries walked: " << entries << ", products built: " << catalogue.getNumProducts() << "\n"
              << "one recursive walk of the plug-in folders: " << walk * 1000.0 << " ms\n"
              << "catalogue build (200 products x 4 components): " << build * 1000.0 << " ms\n"
              << "second build: " << secondBuild * 1000.0 << " ms\n"
              << "build / walk: " << build / walk << "\n";
    catalogue.dropOnlineComponents();
    catalogue.clear();
    return 0;
}
