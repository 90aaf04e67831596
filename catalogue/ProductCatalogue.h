#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <map>
#include <memory>
#include <vector>

class ProductRecord;
class InstallTask;

// The maker's products, built from the server's components XML or the offline repository's,
// with the installed versions found on this machine. One per process.
class ProductCatalogue final
{
public:
    ~ProductCatalogue();

    static ProductCatalogue& getInstance();

    //==============================================================================
    // Rebuilds every product from the XML held; writes the share of products built so far
    // through the pointer when it is not null.
    void buildFromXml (std::atomic<double>* progress);

    // Asks the server for the components XML and rebuilds; true when a reply was parsed. Given the
    // task thread it runs on, a cancel of the task aborts the request.
    bool requestComponents (std::atomic<double>* progress, juce::Thread* task = nullptr);

    // True when a connection to the request URL opens; otherwise drops the server's document.
    bool checkServerReachable();

    // Holds a components document as if it came from the server (online) or from the offline
    // repository, for a build from XML read elsewhere.
    void useComponentsXml (std::unique_ptr<juce::XmlElement> root, bool online);

    bool loadOfflineRepository();
    bool tryOfflineRepository();
    void dropOnlineComponents();
    void dropOfflineComponents();
    void clear();

    bool isOnline() const noexcept { return onlineComponents != nullptr; }
    bool hasOfflineComponents() const noexcept { return offlineComponents != nullptr; }
    bool isRepositoryFound() const noexcept { return repositoryFound; }

    // Online: repositoryBaseUrl + "components/MAC/" + the name with blanks as "%20" + ".zip";
    // offline: the path of the archive in the offline repository.
    juce::String makeDownloadUrl (bool online, const juce::String& componentName) const;

    // The offline repository's folder, with its closing "/".
    juce::String getOfflineRepositoryFolder() const;

    //==============================================================================
    int getNumProducts() const noexcept { return (int) productsInOrder.size(); }
    ProductRecord* getProduct (int index) const noexcept;
    ProductRecord* findProductById (int id) const noexcept;

    bool anyInstalled() const;
    bool anyNotFullyInstalled() const;
    bool anyUpdateAvailable() const;

    bool buildUninstallAllTasks (juce::OwnedArray<InstallTask>& tasks) const;
    bool buildInstallAllTasks (juce::OwnedArray<InstallTask>& tasks) const;
    bool buildUpdateAllTasks (juce::OwnedArray<InstallTask>& tasks) const;

    //==============================================================================
    // Folders where the scan found an installed component, each once, each ending in a separator.
    void addFoundRtasFolder (const juce::String& folder);
    void addFoundVstFolder (const juce::String& folder);
    void addFoundVst64Folder (const juce::String& folder);
    void addFoundAuFolder (const juce::String& folder);

    int getNumFoundRtasFolders() const noexcept { return (int) foundRtasFolders.size(); }
    int getNumFoundVstFolders() const noexcept { return (int) foundVstFolders.size(); }
    int getNumFoundVst64Folders() const noexcept { return (int) foundVst64Folders.size(); }
    int getNumFoundAuFolders() const noexcept { return (int) foundAuFolders.size(); }

    juce::String getFoundRtasFolder (int index) const;
    juce::String getFoundVstFolder (int index) const;
    juce::String getFoundVst64Folder (int index) const;
    juce::String getFoundAuFolder (int index) const;

    // The customer's install folder per format; an empty path is ignored.
    void setRtasInstallFolder (juce::String path);
    void setVstInstallFolder (juce::String path);
    void setVst64InstallFolder (juce::String path);
    void setAuInstallFolder (juce::String path);

    // The customer's folder, or the format's default folder when none was set.
    juce::String getRtasInstallFolder() const;
    juce::String getVstInstallFolder() const;
    juce::String getVst64InstallFolder() const;
    juce::String getAuInstallFolder() const;

    // Whether the path is the format's default folder or lies below it.
    bool isInDefaultRtasFolder (juce::String path) const;
    bool isInDefaultVstFolder (juce::String path) const;
    bool isInDefaultVst64Folder (juce::String path) const;
    bool isInDefaultAuFolder (juce::String path) const;

    // Replaces the offline repository's location in archive paths when not empty.
    juce::String offlineRepositoryPath;

private:
    ProductCatalogue();

    void removeDuplicateProducts();
    void sortProducts();

    // The machine's shared application-data folder + "/Quorvelan/PluginManagerOfflineRepository/".
    static juce::String getDefaultOfflineRepositoryFolder();
    static juce::String withSeparator (juce::String path);
    static void addFolderOnce (std::vector<juce::String>& folders, const juce::String& folder);
    static juce::String getFolderAt (const std::vector<juce::String>& folders, int index);
    static bool isInDefaultFolder (juce::String path, juce::String defaultFolder);

    bool repositoryFound = false;
    std::multimap<int, std::unique_ptr<ProductRecord>> productsById;
    std::vector<ProductRecord*> productsInOrder;
    std::unique_ptr<juce::XmlDocument> offlineDocument;
    std::unique_ptr<juce::XmlElement> onlineComponents;
    std::unique_ptr<juce::XmlElement> offlineComponents;
    std::vector<juce::String> foundRtasFolders, foundVstFolders, foundVst64Folders, foundAuFolders;
    juce::String rtasInstallFolder, vstInstallFolder, vst64InstallFolder, auInstallFolder;
    int productsBuilt = 0;

    JUCE_DECLARE_NON_COPYABLE (ProductCatalogue)
};
