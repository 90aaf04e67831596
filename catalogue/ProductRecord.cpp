#include "catalogue/ProductRecord.h"

#include "catalogue/BundleIndex.h"
#include "catalogue/InstalledBundles.h"
#include "catalogue/PluginFolders.h"
#include "catalogue/ProductCatalogue.h"
#include "platform/PlatformFiles.h"

namespace
{
juce::String makeVersionText (float version)
{
    return "v" + juce::String (version, 2);
}

void addFoundFolderToCatalogue (const juce::String& format, const juce::String& folder)
{
    auto& catalogue = ProductCatalogue::getInstance();

    if (format == "RTAS")
        catalogue.addFoundRtasFolder (folder);
    else if (format == "VST")
        catalogue.addFoundVstFolder (folder);
    else if (format == "VST64")
        catalogue.addFoundVst64Folder (folder);
    else if (format == "AU")
        catalogue.addFoundAuFolder (folder);
}
} // namespace

ProductRecord::ProductRecord (int productId, const juce::String& productTitle, int order,
                              juce::OwnedArray<ComponentRecord>&& productComponents, bool isOnline, float latest)
    : id (productId)
    , displayOrder (order)
    , title (productTitle)
    , latestVersionText (makeVersionText (latest))
    , latestVersion (latest)
    , components (std::move (productComponents))
    , online (isOnline)
{
}

void ProductRecord::clearInstalledState()
{
    outOfDateComponents.clear();
    outOfDateFormats.clear();
    rtasVersionText = auVersionText = vstVersionText = vst64VersionText = {};
    rtasVersion = auVersion = vstVersion = vst64Version = 0.0f;
    anyInstalled = auInstalled = vstInstalled = vst64Installed = rtasInstalled = false;
    installedFolders.clear();
}

void ProductRecord::refreshInstalledState()
{
    BundleIndex index;
    refreshInstalledState (index);
}

void ProductRecord::refreshInstalledState (BundleIndex& index)
{
    refreshInstalledState (getDefaultPluginFolders(), addFoundFolderToCatalogue, index);
}

void ProductRecord::refreshInstalledState (const FormatLocations& searchFolders, const FoundFolderCallback& onFolderFound)
{
    BundleIndex index;
    refreshInstalledState (searchFolders, onFolderFound, index);
}

void ProductRecord::refreshInstalledState (const FormatLocations& searchFolders, const FoundFolderCallback& onFolderFound,
                                           BundleIndex& index)
{
    // Everything is found anew, so a second scan does not keep what the first one saw.
    clearInstalledState();

    for (int i = 0; i < components.size(); ++i)
    {
        auto& component = *components.getUnchecked (i);
        auto folder = searchFolders.getForFormat (component.format);
        auto located = index.findBundleFolder (folder, component.name);

        // When the search misses (a name the wildcard match cannot take), the bundle may still
        // be directly in the folder; it is then that folder, not "/", that holds it.
        auto bundleFolder = located == "/" ? juce::File::addTrailingSeparator (folder) : located;
        // A bundle reached through a link is not one of this folder's.
        const auto bundlePath = bundleFolder + component.name;
        auto version = folder.isEmpty() || PlatformFiles::isSymbolicLink (bundlePath)
                           ? 0.0f
                           : readBundleVersion (bundlePath + "/Contents/Info.plist");

        component.installedVersion = 0.0f;

        if (version != 0.0f)
        {
            anyInstalled = true;

            auto recordFound = [&] (bool& installed, float& formatVersion, juce::String& text, juce::String& installedFolder)
            {
                if (onFolderFound != nullptr)
                    onFolderFound (component.format, bundleFolder);

                installed = true;
                text = makeVersionText (version);
                formatVersion = version;
                component.installedVersion = version;
                installedFolder = bundleFolder;
            };

            if (component.format == "RTAS")
                recordFound (rtasInstalled, rtasVersion, rtasVersionText, installedFolders.rtas);
            else if (component.format == "VST")
                recordFound (vstInstalled, vstVersion, vstVersionText, installedFolders.vst);
            else if (component.format == "VST64")
                recordFound (vst64Installed, vst64Version, vst64VersionText, installedFolders.vst64);
            else if (component.format == "AU")
                recordFound (auInstalled, auVersion, auVersionText, installedFolders.au);
        }

        if (latestVersion > version && version > 0.0f)
        {
            outOfDateComponents.add (i);
            outOfDateFormats.addIfNotAlreadyThere (component.format);
        }
    }

    for (auto* text : { &rtasVersionText, &auVersionText, &vstVersionText, &vst64VersionText })
        if (text->isEmpty())
            *text = TRANS ("TXT_NOT_INSTALLED");
}

//==============================================================================
bool ProductRecord::isAuUpdateAvailable() const
{
    return auInstalled && outOfDateFormats.contains ("AU");
}

bool ProductRecord::isVstUpdateAvailable() const
{
    return vstInstalled && outOfDateFormats.contains ("VST");
}

bool ProductRecord::isVst64UpdateAvailable() const
{
    return vst64Installed && outOfDateFormats.contains ("VST64");
}

juce::StringArray ProductRecord::getInstalledFormats() const
{
    juce::StringArray formats;

    if (vstInstalled)
        formats.add ("VST");

    if (auInstalled)
        formats.add ("AU");

    if (vst64Installed)
        formats.add ("VST64");

    return formats;
}

juce::StringArray ProductRecord::getMissingFormats() const
{
    juce::StringArray formats;

    if (! vstInstalled)
        formats.add ("VST");

    if (! auInstalled)
        formats.add ("AU");

    return formats;
}

float ProductRecord::getHighestInstalledVersion (juce::String& versionText) const
{
    float best = 0.0f;

    if (auVersion > best)
    {
        best = auVersion;
        versionText = auVersionText;
    }

    if (vstVersion > best)
    {
        best = vstVersion;
        versionText = vstVersionText;
    }

    if (vst64Version > best)
    {
        best = vst64Version;
        versionText = vst64VersionText;
    }

    return best;
}

juce::String ProductRecord::getVersionTooltip() const
{
    auto tooltip = TRANS ("TXT_LATEST_VERSION") + " " + latestVersionText + "\n";

    if (auVersion == vstVersion)
        return tooltip + TRANS ("TXT_INSTALLED_VERSION") + " " + vstVersionText + "\n";

    return tooltip
           + TRANS ("TXT_INSTALLED_VERSION") + " (AU) " + auVersionText + "\n"
           + TRANS ("TXT_INSTALLED_VERSION") + " (VST) " + vstVersionText + "\n";
}

bool ProductRecord::getComponentsForFormats (std::vector<ComponentRecord*>& results, const juce::StringArray& formats) const
{
    auto sizeBefore = results.size();

    for (auto& format : formats)
        for (auto* component : components)
            if (component->format == format && component->platform == "MAC")
                results.push_back (component);

    return results.size() > sizeBefore;
}
