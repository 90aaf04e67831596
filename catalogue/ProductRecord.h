#pragma once

#include "catalogue/ComponentRecord.h"
#include "catalogue/FormatLocations.h"

#include <functional>
#include <vector>

class BundleIndex;

// One product of the maker with its components, and what the installed-version scan found of it.
class ProductRecord final
{
public:
    // Told of the folder in which a component of a known format was found installed.
    using FoundFolderCallback = std::function<void (const juce::String& format, const juce::String& folder)>;

    ProductRecord (int id, const juce::String& title, int displayOrder,
                   juce::OwnedArray<ComponentRecord>&& components, bool online, float latestVersion);

    // Looks for each component's bundle below its format's standard folder, reads its version and
    // hands the folders where components were found to the catalogue.
    void refreshInstalledState();

    // The same, answered from the index of folders that the whole scan shares.
    void refreshInstalledState (BundleIndex& index);

    // The same scan below other folders, telling the callback (which may be empty) of each find.
    void refreshInstalledState (const FormatLocations& searchFolders, const FoundFolderCallback& onFolderFound);
    void refreshInstalledState (const FormatLocations& searchFolders, const FoundFolderCallback& onFolderFound, BundleIndex& index);

    //==============================================================================
    int getId() const noexcept { return id; }
    int getDisplayOrder() const noexcept { return displayOrder; }
    juce::String getTitle() const { return title; }
    bool isOnline() const noexcept { return online; }

    float getLatestVersion() const noexcept { return latestVersion; }
    juce::String getLatestVersionText() const { return latestVersionText; }

    float getRtasVersion() const noexcept { return rtasVersion; }
    float getAuVersion() const noexcept { return auVersion; }
    float getVstVersion() const noexcept { return vstVersion; }
    float getVst64Version() const noexcept { return vst64Version; }

    juce::String getRtasVersionText() const { return rtasVersionText; }
    juce::String getAuVersionText() const { return auVersionText; }
    juce::String getVstVersionText() const { return vstVersionText; }
    juce::String getVst64VersionText() const { return vst64VersionText; }

    juce::String getRtasFolder() const { return installedFolders.rtas; }
    juce::String getAuFolder() const { return installedFolders.au; }
    juce::String getVstFolder() const { return installedFolders.vst; }
    juce::String getVst64Folder() const { return installedFolders.vst64; }
    FormatLocations getInstalledFolders() const { return installedFolders; }

    //==============================================================================
    bool isAnyInstalled() const noexcept { return anyInstalled; }
    bool isAuInstalled() const noexcept { return auInstalled; }
    bool isVstInstalled() const noexcept { return vstInstalled; }
    bool isVst64Installed() const noexcept { return vst64Installed; }
    bool isRtasInstalled() const noexcept { return rtasInstalled; }

    // AU or VST; RTAS and VST64 do not count.
    bool isInstalled() const noexcept { return auInstalled || vstInstalled; }
    bool isFullyInstalled() const noexcept { return auInstalled && vstInstalled; }

    bool isAuUpdateAvailable() const;
    bool isVstUpdateAvailable() const;
    bool isVst64UpdateAvailable() const;

    // Indices into the components of those found older than the latest version, and their formats.
    juce::Array<int> getOutOfDateComponents() const { return outOfDateComponents; }
    juce::StringArray getOutOfDateFormats() const { return outOfDateFormats; }

    // "VST", "AU", "VST64" as installed.
    juce::StringArray getInstalledFormats() const;

    // "VST", "AU" as not installed.
    juce::StringArray getMissingFormats() const;

    // The highest of the AU, VST and VST64 versions, with its text; the text is left alone when
    // none is installed.
    float getHighestInstalledVersion (juce::String& versionText) const;

    // The latest and installed versions, a line each.
    juce::String getVersionTooltip() const;

    // Appends the "MAC" components of each format in turn; true when any was appended.
    bool getComponentsForFormats (std::vector<ComponentRecord*>& results, const juce::StringArray& formats) const;

    int getNumComponents() const noexcept { return components.size(); }
    ComponentRecord* getComponent (int index) const noexcept { return components[index]; }

private:
    void clearInstalledState();

    juce::Array<int> outOfDateComponents;
    juce::StringArray outOfDateFormats;
    int id = 0;
    int displayOrder = 0;
    juce::String title;
    juce::String rtasVersionText, auVersionText, vstVersionText, vst64VersionText;
    juce::String latestVersionText;
    float rtasVersion = 0.0f, auVersion = 0.0f, vstVersion = 0.0f, vst64Version = 0.0f;
    float latestVersion = 0.0f;
    juce::OwnedArray<ComponentRecord> components;
    bool online = false;
    bool anyInstalled = false, auInstalled = false, vstInstalled = false, vst64Installed = false, rtasInstalled = false;
    FormatLocations installedFolders;

    // Records live in the catalogue, which outlives the leak detector at exit.
    JUCE_DECLARE_NON_COPYABLE (ProductRecord)
};
