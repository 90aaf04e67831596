// Builds catalogues of 50, 200 and 800 products x 4 components over plug-in trees of 750, 3,000
// and 12,000 bundles and prints, for each size, the build time beside one `find` of the same tree
// (and one recursive walk through the framework), their ratio and the peak resident memory of
// the build above the size before it: min / median / max of 3 runs, each in a process of its own.
// Run it inside the private namespace, from the build folder (it writes below /Library):
//   ../tests/scripts/in_private_root.sh benchmarks/quorvelan_catalogue_benchmark [--products 50,200] [--runs 3]

#include "BenchmarkRuns.h"
#include "catalogue/BundleFixtures.h"
#include "catalogue/PluginFolders.h"
#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"
#include "readers/XmlReading.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>

namespace
{
constexpr int bundlesPerProduct = 15;

// P products x 4 components over 15 x P bundles: half of the components installed (a quarter of
// those in vendor sub-folders), the rest other plug-ins in vendor sub-folders.
juce::String layOutTree (int numProducts, int& bundles)
{
    const char* formats[] = { "VST", "AU", "VST", "AU" };
    const juce::File folders[] = { juce::File (getDefaultVstFolder()), juce::File (getDefaultAuFolder()) };

    bundles = 0;
    juce::String xml ("<components>");

    for (int p = 0; p < numProducts; ++p)
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

        xml << BundleFixtures::productXml (p, "Product " + juce::String (p), "1.5", numProducts - p, components);
    }

    for (int i = 0; bundles < numProducts * bundlesPerProduct; ++i, ++bundles)
        BundleFixtures::writeBundleWithVersion (folders[i % 2].getChildFile ("Other" + juce::String (i % 40)),
                                                "Other" + juce::String (i) + ".vst", "2.0");

    return xml + "</components>";
}

int measure (int numProducts)
{
    juce::File ("/Library/Audio").deleteRecursively();

    int bundles = 0;
    auto xml = layOutTree (numProducts, bundles);

    auto& catalogue = ProductCatalogue::getInstance();
    catalogue.useComponentsXml (XmlReading::parse (xml), true);

    const auto find = BenchmarkRuns::timeShell ("find '" + getDefaultVstFolder() + "' '" + getDefaultAuFolder() + "' > /dev/null");

    double walk = 0.0, build = 0.0, secondBuild = 0.0;

    {
        juce::ScopedTimeMeasurement measure (walk);

        for (auto folder : { getDefaultVstFolder(), getDefaultAuFolder() })
            juce::File (folder).findChildFiles (juce::File::findFilesAndDirectories, true);
    }

    BenchmarkRuns::resetPeakResident();
    const auto idleKb = BenchmarkRuns::residentKb();

    {
        juce::ScopedTimeMeasurement measure (build);
        catalogue.buildFromXml (nullptr);
    }

    const auto peakKb = BenchmarkRuns::peakResidentKb() - idleKb;

    {
        juce::ScopedTimeMeasurement measure (secondBuild);
        catalogue.buildFromXml (nullptr);
    }

    juce::StringPairArray result;
    result.set ("bundles", juce::String (bundles));
    result.set ("products", juce::String (catalogue.getNumProducts()));
    result.set ("installed", juce::String (catalogue.findProductById (0) != nullptr && catalogue.findProductById (0)->isFullyInstalled() ? 1 : 0));
    result.set ("find", juce::String (find));
    result.set ("walk", juce::String (walk));
    result.set ("build", juce::String (build));
    result.set ("second", juce::String (secondBuild));
    result.set ("peakKb", juce::String (peakKb));
    BenchmarkRuns::printResult (result);

    catalogue.dropOnlineComponents();
    catalogue.clear();
    juce::File ("/Library/Audio").deleteRecursively();
    return 0;
}

juce::Array<int> parseList (const juce::String& text)
{
    juce::Array<int> values;

    for (auto& token : juce::StringArray::fromTokens (text, ",", {}))
        values.add (token.getIntValue());

    return values;
}
} // namespace

int main (int argc, char* argv[])
{
    juce::ScopedJuceInitialiser_GUI juceLibrary;
    const juce::StringArray arguments (argv + 1, argc - 1);

    if (arguments[0] == "--measure")
        return measure (arguments[1].getIntValue());

    if (juce::File ("/Library").getNumberOfChildFiles (juce::File::findFilesAndDirectories) > 0)
    {
        std::cerr << "Run this inside tests/scripts/in_private_root.sh: /Library is not empty.\n";
        return 1;
    }

    auto sizes = parseList ("50,200,800");
    int runs = 3;

    for (int i = 0; i + 1 < arguments.size(); ++i)
    {
        if (arguments[i] == "--products")
            sizes = parseList (arguments[i + 1]);
        else if (arguments[i] == "--runs")
            runs = juce::jmax (1, arguments[i + 1].getIntValue());
    }

    std::cout << "catalogue build beside one `find` of the same tree; min / median / max of " << runs << " runs\n";
    bool allBuilt = true;

    for (auto products : sizes)
    {
        juce::Array<double> find, walk, build, second, ratio, walkRatio, peakMb;
        juce::String bundles;

        for (int run = 0; run < runs; ++run)
        {
            auto r = BenchmarkRuns::runSelf ({ "--measure", juce::String (products) });

            if (r.size() == 0 || r["products"].getIntValue() != products || r["installed"] != "1")
            {
                allBuilt = false;
                continue;
            }

            bundles = r["bundles"];
            find.add (r["find"].getDoubleValue() * 1000.0);
            walk.add (r["walk"].getDoubleValue() * 1000.0);
            build.add (r["build"].getDoubleValue() * 1000.0);
            second.add (r["second"].getDoubleValue() * 1000.0);
            ratio.add (r["build"].getDoubleValue() / r["find"].getDoubleValue());
            walkRatio.add (r["build"].getDoubleValue() / r["walk"].getDoubleValue());
            peakMb.add (r["peakKb"].getDoubleValue() / 1024.0);
        }

        std::cout << "\n"
                  << products << " products x 4 components, " << bundles << " bundles\n"
                  << "  one find of the tree (ms):            " << BenchmarkRuns::summarise (find, 1) << "\n"
                  << "  one framework walk of the tree (ms):  " << BenchmarkRuns::summarise (walk, 1) << "\n"
                  << "  catalogue build (ms):                 " << BenchmarkRuns::summarise (build, 1) << "\n"
                  << "  second build (ms):                    " << BenchmarkRuns::summarise (second, 1) << "\n"
                  << "  ratio build / find:                   " << BenchmarkRuns::summarise (ratio, 2) << "\n"
                  << "  ratio build / framework walk:         " << BenchmarkRuns::summarise (walkRatio, 2) << "\n"
                  << "  peak resident above idle (MB):        " << BenchmarkRuns::summarise (peakMb, 1) << std::endl;
    }

    return allBuilt ? 0 : 1;
}
