#include "catalogue/ProductCatalogue.h"

#include "catalogue/BundleIndex.h"
#include "catalogue/InstallTask.h"
#include "catalogue/PluginFolders.h"
#include "catalogue/ProductRecord.h"
#include "catalogue/ServerRequest.h"
#include "catalogue/WebReader.h"
#include "readers/NumberText.h"
#include "readers/XmlReading.h"
#include "services/ProgramValues.h"

#include <limits>

namespace
{
// Reads the id as the framework reads an integer (leading blanks, a sign, the digits up to the
// first other character; none gives 0), but false when the number lies beyond the int range.
bool readProductId (const juce::String& text, int& id)
{
    auto rest = text.trimStart();
    const bool negative = rest.startsWithChar ('-');

    if (negative || rest.startsWithChar ('+'))
        rest = rest.substring (1);

    auto digits = rest.initialSectionContainingOnly ("0123456789").trimCharactersAtStart ("0");

    if (digits.length() > 10)
        return false;

    auto value = digits.getLargeIntValue();

    if (negative)
        value = -value;

    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return false;

    id = (int) value;
    return true;
}
} // namespace

ProductCatalogue::ProductCatalogue() = default;

ProductCatalogue::~ProductCatalogue() = default;

ProductCatalogue& ProductCatalogue::getInstance()
{
    static ProductCatalogue instance;
    return instance;
}

//==============================================================================
juce::String ProductCatalogue::withSeparator (juce::String path)
{
    if (! path.endsWithChar ('/') && ! path.endsWithChar ('\\'))
        path << "/";

    return path;
}

void ProductCatalogue::addFolderOnce (std::vector<juce::String>& folders, const juce::String& folder)
{
    auto entry = withSeparator (folder);

    if (std::find (folders.begin(), folders.end(), entry) == folders.end())
        folders.push_back (entry);
}

juce::String ProductCatalogue::getFolderAt (const std::vector<juce::String>& folders, int index)
{
    return juce::isPositiveAndBelow (index, (int) folders.size()) ? folders[(size_t) index] : juce::String();
}

void ProductCatalogue::addFoundRtasFolder (const juce::String& folder)
{
    addFolderOnce (foundRtasFolders, folder);
}
void ProductCatalogue::addFoundVstFolder (const juce::String& folder)
{
    addFolderOnce (foundVstFolders, folder);
}
void ProductCatalogue::addFoundVst64Folder (const juce::String& folder)
{
    addFolderOnce (foundVst64Folders, folder);
}
void ProductCatalogue::addFoundAuFolder (const juce::String& folder)
{
    addFolderOnce (foundAuFolders, folder);
}

juce::String ProductCatalogue::getFoundRtasFolder (int index) const
{
    return getFolderAt (foundRtasFolders, index);
}
juce::String ProductCatalogue::getFoundVstFolder (int index) const
{
    return getFolderAt (foundVstFolders, index);
}
juce::String ProductCatalogue::getFoundVst64Folder (int index) const
{
    return getFolderAt (foundVst64Folders, index);
}
juce::String ProductCatalogue::getFoundAuFolder (int index) const
{
    return getFolderAt (foundAuFolders, index);
}

void ProductCatalogue::dropOnlineComponents()
{
    onlineComponents.reset();
}

void ProductCatalogue::dropOfflineComponents()
{
    offlineComponents.reset();
}

void ProductCatalogue::clear()
{
    productsInOrder.clear();
    productsById.clear();
}

//==============================================================================
void ProductCatalogue::buildFromXml (std::atomic<double>* progress)
{
    clear();
    productsBuilt = 0;

    const auto* root = onlineComponents != nullptr ? onlineComponents.get() : offlineComponents.get();
    const bool online = onlineComponents != nullptr;

    if (root != nullptr)
    {
        // Every record of this build is scanned against one reading of the plug-in folders.
        BundleIndex installedBundles;
        const auto numChildren = root->getNumChildElements();

        for (auto* product : root->getChildIterator())
        {
            if (! XmlReading::hasTagName (product, "product"))
                continue;

            auto childText = [product] (const char* name)
            {
                auto* child = XmlReading::getChildByName (*product, name);
                return child != nullptr ? child->getAllSubText() : juce::String();
            };

            int id = 0;

            // An id that does not fit is no product of ours, rather than another product's id.
            if (! readProductId (XmlReading::getAttribute (*product, "id"), id))
                continue;

            const auto title = childText ("product_title");
            // "inf", "nan" or a number beyond float range is no version.
            const auto latestVersion = NumberText::readFloat (childText ("latest_version"));
            const auto displayOrder = NumberText::readInt (childText ("display_order"));

            juce::OwnedArray<ComponentRecord> components;

            for (auto* component : product->getChildIterator())
            {
                if (! XmlReading::hasTagName (component, "component")
                    || XmlReading::getAttribute (*component, "platform") != "MAC")
                    continue;

                auto name = component->getAllSubText();
                components.add (new ComponentRecord (name,
                                                     XmlReading::getAttribute (*component, "format"),
                                                     XmlReading::getAttribute (*component, "platform"),
                                                     makeDownloadUrl (online, name),
                                                     online,
                                                     XmlReading::getAttribute (*component, "action") == "REMOVE"));
            }

            auto record = std::make_unique<ProductRecord> (id, title, displayOrder, std::move (components), online, latestVersion);
            auto* built = record.get();
            productsById.emplace (id, std::move (record)); // after any record with the same id
            built->refreshInstalledState (installedBundles);

            ++productsBuilt;

            if (progress != nullptr)
                *progress = (double) productsBuilt / (double) numChildren;
        }
    }

    removeDuplicateProducts();
    sortProducts();
}

void ProductCatalogue::removeDuplicateProducts()
{
    for (auto it = productsById.begin(); it != productsById.end();)
    {
        auto survivor = it;
        auto next = std::next (it);

        while (next != productsById.end() && next->first == survivor->first)
        {
            const auto survivorVersion = survivor->second->getLatestVersion();
            const auto nextVersion = next->second->getLatestVersion();
            const bool keepSurvivor = survivorVersion > nextVersion
                                      || (survivorVersion == nextVersion && next->second->isOnline());

            if (keepSurvivor)
            {
                next = productsById.erase (next);
            }
            else
            {
                productsById.erase (survivor);
                survivor = next;
                ++next;
            }
        }

        it = next;
    }
}

void ProductCatalogue::sortProducts()
{
    productsInOrder.clear();

    for (auto& entry : productsById)
        productsInOrder.push_back (entry.second.get());

    std::sort (productsInOrder.begin(), productsInOrder.end(), [] (const ProductRecord* a, const ProductRecord* b)
               { return a->getDisplayOrder() < b->getDisplayOrder(); });
}

//==============================================================================
juce::String ProductCatalogue::getOfflineRepositoryFolder() const
{
    if (offlineRepositoryPath.isNotEmpty())
        return offlineRepositoryPath + "/";

    return getDefaultOfflineRepositoryFolder();
}

juce::String ProductCatalogue::getDefaultOfflineRepositoryFolder()
{
    return juce::File::getSpecialLocation (juce::File::commonApplicationDataDirectory).getFullPathName()
           + "/Quorvelan/PluginManagerOfflineRepository/";
}

juce::String ProductCatalogue::makeDownloadUrl (bool online, const juce::String& componentName) const
{
    if (online)
        return repositoryBaseUrl + "components/MAC/" + componentName.replace (" ", "%20") + ".zip";

    return getOfflineRepositoryFolder() + "components/MAC/" + componentName + ".zip";
}

bool ProductCatalogue::checkServerReachable()
{
    WebReader reader (ServerRequest::makeUrl (serverRequestUrl), false, nullptr, ServerRequest::getMessageThreadTimeoutMs());

    if (reader.connect())
        return true;

    dropOnlineComponents();
    return false;
}

bool ProductCatalogue::requestComponents (std::atomic<double>* progress, juce::Thread* task)
{
    dropOnlineComponents();
    onlineComponents = ServerRequest ("REQUEST_COMPONENTS").readXml (task);
    buildFromXml (progress);
    return onlineComponents != nullptr;
}

bool ProductCatalogue::loadOfflineRepository()
{
    const juce::File file (getDefaultOfflineRepositoryFolder() + "components.xml");

    if (file.existsAsFile())
    {
        // Read within the bounds of any XML from outside; an unreadable file holds no products.
        offlineDocument.reset();
        offlineComponents = XmlReading::parseFile (file);
        repositoryFound = true;
        return true;
    }

    offlineComponents.reset();
    repositoryFound = false;
    return false;
}

void ProductCatalogue::useComponentsXml (std::unique_ptr<juce::XmlElement> root, bool online)
{
    (online ? onlineComponents : offlineComponents) = std::move (root);
}

bool ProductCatalogue::tryOfflineRepository()
{
    // A failed load has already dropped the offline document.
    return loadOfflineRepository();
}

//==============================================================================
ProductRecord* ProductCatalogue::getProduct (int index) const noexcept
{
    return juce::isPositiveAndBelow (index, (int) productsInOrder.size()) ? productsInOrder[(size_t) index] : nullptr;
}

ProductRecord* ProductCatalogue::findProductById (int id) const noexcept
{
    auto found = productsById.find (id);
    return found != productsById.end() ? found->second.get() : nullptr;
}

bool ProductCatalogue::anyInstalled() const
{
    return std::any_of (productsInOrder.begin(), productsInOrder.end(), [] (auto* p)
                        { return p->isInstalled(); });
}

bool ProductCatalogue::anyNotFullyInstalled() const
{
    return std::any_of (productsInOrder.begin(), productsInOrder.end(), [] (auto* p)
                        { return ! p->isFullyInstalled(); });
}

bool ProductCatalogue::anyUpdateAvailable() const
{
    return std::any_of (productsInOrder.begin(), productsInOrder.end(), [] (auto* p)
                        { return ! p->getOutOfDateComponents().isEmpty(); });
}

bool ProductCatalogue::buildUninstallAllTasks (juce::OwnedArray<InstallTask>& tasks) const
{
    tasks.clear();

    for (auto* p : productsInOrder)
        if (p->isInstalled())
            tasks.add (new InstallTask (p->getId(), p->getInstalledFormats(), p->getInstalledFolders()));

    return ! tasks.isEmpty();
}

bool ProductCatalogue::buildInstallAllTasks (juce::OwnedArray<InstallTask>& tasks) const
{
    tasks.clear();

    for (auto* p : productsInOrder)
        if (! p->isFullyInstalled())
            tasks.add (new InstallTask (p->getId(), p->getMissingFormats(), p->getInstalledFolders()));

    return ! tasks.isEmpty();
}

bool ProductCatalogue::buildUpdateAllTasks (juce::OwnedArray<InstallTask>& tasks) const
{
    tasks.clear();

    for (auto* p : productsInOrder)
        if (! p->getOutOfDateFormats().isEmpty())
            tasks.add (new InstallTask (p->getId(), p->getOutOfDateFormats(), p->getInstalledFolders()));

    return ! tasks.isEmpty();
}

//==============================================================================
void ProductCatalogue::setRtasInstallFolder (juce::String path)
{
    if (path.isNotEmpty())
        rtasInstallFolder = withSeparator (path);
}
void ProductCatalogue::setVstInstallFolder (juce::String path)
{
    if (path.isNotEmpty())
        vstInstallFolder = withSeparator (path);
}
void ProductCatalogue::setVst64InstallFolder (juce::String path)
{
    if (path.isNotEmpty())
        vst64InstallFolder = withSeparator (path);
}
void ProductCatalogue::setAuInstallFolder (juce::String path)
{
    if (path.isNotEmpty())
        auInstallFolder = withSeparator (path);
}

juce::String ProductCatalogue::getRtasInstallFolder() const
{
    return rtasInstallFolder.isNotEmpty() ? rtasInstallFolder : getDefaultRtasFolder();
}
juce::String ProductCatalogue::getVstInstallFolder() const
{
    return vstInstallFolder.isNotEmpty() ? vstInstallFolder : getDefaultVstFolder();
}
juce::String ProductCatalogue::getVst64InstallFolder() const
{
    return vst64InstallFolder.isNotEmpty() ? vst64InstallFolder : getDefaultVst64Folder();
}
juce::String ProductCatalogue::getAuInstallFolder() const
{
    return auInstallFolder.isNotEmpty() ? auInstallFolder : getDefaultAuFolder();
}

bool ProductCatalogue::isInDefaultFolder (juce::String path, juce::String defaultFolder)
{
    // VST64 has no default folder: nothing lies in it.
    if (path.isEmpty() || defaultFolder.isEmpty())
        return false;

    defaultFolder = withSeparator (defaultFolder);
    path = withSeparator (path);

    if (path == defaultFolder)
        return true;

    return juce::File::isAbsolutePath (path) && juce::File (path).isAChildOf (juce::File (defaultFolder));
}

bool ProductCatalogue::isInDefaultRtasFolder (juce::String path) const
{
    return isInDefaultFolder (path, getDefaultRtasFolder());
}
bool ProductCatalogue::isInDefaultVstFolder (juce::String path) const
{
    return isInDefaultFolder (path, getDefaultVstFolder());
}
bool ProductCatalogue::isInDefaultVst64Folder (juce::String path) const
{
    return isInDefaultFolder (path, getDefaultVst64Folder());
}
bool ProductCatalogue::isInDefaultAuFolder (juce::String path) const
{
    return isInDefaultFolder (path, getDefaultAuFolder());
}
