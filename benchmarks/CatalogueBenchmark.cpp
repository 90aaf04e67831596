// Builds a catalogue of 200 products x 4 components over a plug-in tree of 3,000 bundles and
// prints the build time beside the time of one recursive walk of the same tree. Run it inside
// the private namespace (tests/scripts/in_private_root.sh): it writes below /Library.

#include "catalogue/PluginFolders.h"
#include "catalogue/ProductCatalogue.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>

namespace
{
void writeBundle (const juce::File& folder, const juce::String& name, const juce::String& version)
{
    auto plist = folder.getChildFile (name + "/Contents/Info.plist");
    plist.getParentDirectory().createDirectory();
    plist.replaceWithText ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                           "<key>CFBundleShortVersionString</key><string>"
                           + version + "</string></dict></plist>\n");
}

double secondsFor (std::function<void()> work)
{
    auto start = juce::Time::getHighResolutionTicks();
    work();
    return juce::Time::highResolutionTicksToSeconds (juce::Time::getHighResolutionTicks() - start);
}
} // namespace

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
        xml << "<product id=\"" << p << "\"><product_title>Product " << p << "</product_title>"
            << "<latest_version>1.5</latest_version><display_order>" << (200 - p) << "</display_order>";

        for (int c = 0; c < 4; ++c)
        {
            auto name = "Product" + juce::String (p) + "_" + juce::String (c) + (c % 2 == 0 ? ".vst" : ".component");
            xml << "<component platform=\"MAC\" format=\"" << formats[c] << "\">" << name << "</component>";

            if (c < 2)
            {
                auto folder = folders[c % 2];
                writeBundle (p % 4 == 0 ? folder.getChildFile ("Vendor" + juce::String (p % 7)) : folder, name, "1.2");
                ++bundles;
            }
        }

        xml << "</product>";
    }

    xml << "</components>";

    for (int i = 0; bundles < 3000; ++i, ++bundles)
        writeBundle (folders[i % 2].getChildFile ("Other" + juce::String (i % 40)), "Other" + juce::String (i) + ".vst", "2.0");

    auto& catalogue = ProductCatalogue::getInstance();
    catalogue.useComponentsXml (juce::parseXML (xml), true);

    int entries = 0;
    auto walk = secondsFor ([&]
                            {
        for (auto& folder : folders)
            entries += folder.findChildFiles (juce::File::findFilesAndDirectories, true).size(); });

    auto build = secondsFor ([&]
                             { catalogue.buildFromXml (nullptr); });
    auto secondBuild = secondsFor ([&]
                                   { catalogue.buildFromXml (nullptr); });

    std::cout << "bundles: " << bundles << ", entries walked: " << entries << ", products built: " << catalogue.getNumProducts() << "\n"
              << "one recursive walk of the plug-in folders: " << walk * 1000.0 << " ms\n"
              << "catalogue build (200 products x 4 components): " << build * 1000.0 << " ms\n"
              << "second build: " << secondBuild * 1000.0 << " ms\n"
              << "build / walk: " << build / walk << "\n";
    catalogue.clear();
    return 0;
}
