#include "tasks/DownloadThread.h"

#include "catalogue/ComponentRecord.h"
#include "catalogue/PluginFolders.h"
#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"
#include "catalogue/ServerRequest.h"
#include "catalogue/WebReader.h"
#include "tasks/ArchiveFile.h"
#include "tasks/TaskWindow.h"

namespace
{
// A cancel never interrupts the privileged steps: the window waits for the run to end, so no
// plug-in is left removed without its replacement.
constexpr int waitForRunToEnd = -1;

constexpr int readBlockSize = 1024;
} // namespace

DownloadThread::DownloadThread (const juce::OwnedArray<InstallTask>& taskList, bool install,
                                const PlatformAuthorization::Options& options)
    : juce::ThreadWithProgressWindow ({}, true, true, waitForRunToEnd, TaskWindow::cancelButtonText)
    , installMode (install)
    , authorizationOptions (options)
{
    for (auto* task : taskList)
        tasks.push_back (*task);
}

DownloadThread::~DownloadThread() = default;

//==============================================================================
juce::String DownloadThread::makeLabel (const ComponentRecord& component)
{
    return component.name.upToFirstOccurrenceOf (".", false, false) + " " + component.format;
}

bool DownloadThread::isSafeComponentName (const juce::String& name)
{
    return name.isNotEmpty() && name != "." && name != ".."
           && ! name.containsAnyOf ("/\\") && ! name.containsChar (0);
}

juce::String DownloadThread::destinationForFormat (const FormatLocations& locations, const juce::String& format)
{
    return locations.getForFormat (format);
}

void DownloadThread::setStatus (const juce::String& key, const ComponentRecord* component)
{
    auto text = juce::translate (key);

    if (component != nullptr)
        text << "\n"
             << makeLabel (*component);

    {
        const juce::ScopedLock sl (logLock);
        statusLog.add (text);
    }

    setStatusMessage (text);
}

void DownloadThread::showProgress (double value)
{
    // The bar's one source: the mirror copies this value into the window.
    *barProgress.getValuePointer() = value;
    setProgress (value);
}

juce::StringArray DownloadThread::getStatusLog() const
{
    const juce::ScopedLock sl (logLock);
    return statusLog;
}

juce::Array<juce::StringArray> DownloadThread::getCommandLog() const
{
    const juce::ScopedLock sl (logLock);
    return commandLog;
}

std::vector<ComponentRecord*> DownloadThread::selectComponents (const InstallTask& task) const
{
    std::vector<ComponentRecord*> selected, safe;

    if (auto* product = ProductCatalogue::getInstance().findProductById (task.productId))
        product->getComponentsForFormats (selected, task.formats);

    // A name that could reach outside its folder is skipped entirely.
    for (auto* component : selected)
        if (isSafeComponentName (component->name))
            safe.push_back (component);

    return safe;
}

//==============================================================================
void DownloadThread::run()
{
    auto& catalogue = ProductCatalogue::getInstance();

    if (catalogue.getNumProducts() > 0 && ! tasks.empty())
    {
        if (installMode)
        {
            setStatus ("TXT_PREPARING_INSTALLATION");

            for (auto& task : tasks)
            {
                if (threadShouldExit())
                    break;

                for (auto* component : selectComponents (task))
                    downloadAndUnpack (*component);
            }
        }
        else
        {
            setStatus ("TXT_PREPARING_UNINSTALLATION");
        }

        if (! threadShouldExit())
        {
            rightsRef = PlatformAuthorization::create (authorizationOptions);

            if (rightsRef != nullptr)
            {
                rightsRequested = true;
                rightsRef->copyRights (PlatformAuthorization::adminRight,
                                       PlatformAuthorization::flagInteractionAllowed
                                           | PlatformAuthorization::flagExtendRights
                                           | PlatformAuthorization::flagPreAuthorize);

                for (auto& task : tasks)
                {
                    for (auto* component : selectComponents (task))
                    {
                        auto destination = destinationForFormat (task.locations, component->format);

                        if (component->remove)
                        {
                            removeObsoleteFile (*component, destination);
                        }
                        else if (! installMode)
                        {
                            uninstallComponent (*component, destination, false);
                        }
                        else if (isNewCopyReady (*component))
                        {
                            uninstallComponent (*component, destination, true);
                            installComponent (*component, destination);
                        }
                    }
                }
            }
        }
    }

    showProgress (0.0);
    setStatus (installMode ? "TXT_COMPLETING_INSTALLATION" : "TXT_COMPLETING_UNINSTALLATION");
    catalogue.buildFromXml (barProgress.getValuePointer());

    if (rightsRef != nullptr)
    {
        {
            const juce::ScopedLock sl (logLock);
            commandLog = rightsRef->getCommandLog();
        }

        rightsRef->free (PlatformAuthorization::flagDestroyRights);
    }
}

//==============================================================================
bool DownloadThread::downloadAndUnpack (const ComponentRecord& component)
{
    showProgress (0.0);

    std::unique_ptr<juce::InputStream> source;

    if (component.online)
    {
        auto webReader = std::make_unique<WebReader> (ServerRequest::makeUrl (component.url), false, this);
        setStatus ("TXT_DOWNLOADiNG_AND_INSTALLING", &component);

        if (! webReader->connect())
            return false;

        source = std::move (webReader);
    }
    else
    {
        source = juce::File (component.url).createInputStream();
        setStatus ("TXT_INSTALLING_FROM_DISK", &component);

        if (source == nullptr)
            return false;
    }

    const auto totalLength = source->getTotalLength();
    const auto temp = juce::File (getTempFolderPath());

    // Read until the stream is exhausted: a network stream's short reads are not its end. The
    // archive goes to disk as it arrives and its file is removed on leaving, whole or not.
    ArchiveFile archive (temp);
    char buffer[readBlockSize];

    while (! threadShouldExit())
    {
        auto numRead = source->read (buffer, readBlockSize);

        if (numRead <= 0 || ! archive.append (buffer, (size_t) numRead))
            break;

        if (totalLength > 0)
            showProgress ((double) archive.getSize() / (double) totalLength);
    }

    // An earlier run's copy must never pass for this run's.
    const auto newCopy = temp.getChildFile (component.name);
    newCopy.deleteRecursively();

    const bool written = archive.finishWriting();
    const bool complete = written && (totalLength < 0 || archive.getSize() == totalLength);

    if (complete && archive.getSize() > 0)
    {
        juce::ZipFile zip (archive.getFile());

        // Every entry is tried; one of the component's own that fails leaves its copy unfinished.
        bool componentUnpacked = true;

        for (int i = 0; i < zip.getNumEntries(); ++i)
        {
            if (zip.uncompressEntry (i, temp, true).wasOk())
                continue;

            const auto entryName = zip.getEntry (i)->filename.replaceCharacter ('\\', '/');

            if (entryName == component.name || entryName.startsWith (component.name + "/"))
                componentUnpacked = false;
        }

        if (! componentUnpacked)
            newCopy.deleteRecursively();
    }

    if (! newCopy.exists())
        return false;

    unpackedThisRun.insert (component.name);
    return true;
}

bool DownloadThread::isNewCopyReady (const ComponentRecord& component) const
{
    return unpackedThisRun.count (component.name) > 0
           && juce::File (getTempFolderPath()).getChildFile (component.name).exists();
}

bool DownloadThread::runPrivileged (const juce::String& tool, const juce::StringArray& arguments)
{
    return rightsRef != nullptr && rightsRef->executeWithPrivileges (tool, arguments);
}

bool DownloadThread::removeObsoleteFile (const ComponentRecord& component, const juce::String& destination)
{
    setStatus ("TXT_REMOVING_OBSOLETE_FILE", &component);
    return removePath (component, destination);
}

bool DownloadThread::uninstallComponent (const ComponentRecord& component, const juce::String& destination, bool partOfInstall)
{
    if (! partOfInstall)
        setStatus ("TXT_UNINSTALLING", &component);

    return removePath (component, destination);
}

bool DownloadThread::installComponent (const ComponentRecord& component, const juce::String& destination)
{
    const juce::File temp (getTempFolderPath());

    if (! temp.isDirectory() || ! juce::File::isAbsolutePath (destination) || ! isSafeComponentName (component.name))
        return false;

    runPrivileged ("/bin/mkdir", { "-p", destination });
    return runPrivileged ("/bin/mv", { "-f", getTempFolderPath() + "/" + component.name, destination });
}

bool DownloadThread::removePath (const ComponentRecord& component, const juce::String& destination)
{
    // Only ever a path strictly inside an absolute destination folder.
    if (! juce::File::isAbsolutePath (destination) || ! isSafeComponentName (component.name))
        return false;

    const auto path = destination + component.name;
    const juce::File target (path);

    if (! target.exists() || target.getFullPathName() == "/" || target.getFullPathName() == "*")
        return false;

    if (! target.isAChildOf (juce::File (destination)))
        return false;

    return runPrivileged ("/bin/rm", { "-R", "-f", path });
}

void runInstallTasks (const juce::OwnedArray<InstallTask>& tasks, bool installMode)
{
    DownloadThread download (tasks, installMode);
    download.runThread (TaskWindow::priority);
}
