#include "tasks/DownloadThread.h"

#include "catalogue/ComponentRecord.h"
#include "catalogue/PluginFolders.h"
#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"
#include "catalogue/ServerRequest.h"
#include "catalogue/WebReader.h"
#include "platform/PlatformFiles.h"
#include "tasks/ArchiveFile.h"
#include "tasks/ArchiveUnpacker.h"
#include "tasks/BackgroundUnpacker.h"
#include "tasks/InstallPaths.h"
#include "tasks/TaskWindow.h"

namespace
{
// A cancel never interrupts the privileged steps: the run is only told to stop, and the window
// closes when it ends, so no plug-in is left removed without its replacement.
constexpr int waitForRunToEnd = -1;

constexpr int readBlockSize = 1024;
} // namespace

DownloadThread::DownloadThread (const juce::OwnedArray<InstallTask>& taskList, bool install,
                                const PlatformAuthorization::Options& options)
    : juce::ThreadWithProgressWindow ({}, true, true, waitForRunToEnd, TaskWindow::cancelButtonText)
    , installMode (install)
    , authorizationOptions (options)
    , unpacker (getTempFolderPath())
{
    for (auto* task : taskList)
        tasks.push_back (*task);

    if (authorizationOptions.temporaryFolder.isEmpty())
        authorizationOptions.temporaryFolder = getTempFolderPath();

    for (auto* child : getAlertWindow()->getChildren())
        if (auto* button = dynamic_cast<juce::Button*> (child))
        {
            cancelButton = button;
            button->onClick = [this]
            { cancelRun(); };
        }
}

DownloadThread::~DownloadThread() = default;

//==============================================================================
juce::String DownloadThread::makeLabel (const ComponentRecord& component)
{
    return component.name.upToFirstOccurrenceOf (".", false, false) + " " + component.format;
}

bool DownloadThread::isSafeComponentName (const juce::String& name)
{
    return InstallPaths::isSafeName (name);
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

    // After a cancel the window only says that the run is finishing.
    setStatusMessage (cancelPressed ? getFinishingText() : text);
}

juce::String DownloadThread::getFinishingText() const
{
    return juce::translate (installMode ? "TXT_COMPLETING_INSTALLATION" : "TXT_COMPLETING_UNINSTALLATION");
}

void DownloadThread::cancelRun()
{
    // The run is told to stop, but the window stays, painted, until the run has ended: the
    // privileged steps under way finish whole, and the catalogue is rebuilt.
    if (cancelPressed.exchange (true))
        return;

    signalThreadShouldExit();
    setStatusMessage (getFinishingText());

    if (cancelButton != nullptr)
        cancelButton->setEnabled (false);
}

void DownloadThread::showProgress (double value)
{
    // The bar's one source: the mirror copies this value into the window.
    *barProgress.getValuePointer() = value;
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

            // Each archive is unpacked while the next one is fetched.
            for (auto& task : tasks)
            {
                if (threadShouldExit())
                    break;

                for (auto* component : selectComponents (task))
                    unpacker.add (component->name, fetchArchive (*component));
            }

            unpacker.waitUntilDone();
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
                                           | PlatformAuthorization::flagPreAuthorize,
                                       getDestinationFolders());

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
    unpacker.add (component.name, fetchArchive (component));
    unpacker.waitUntilDone();
    return unpacker.hasUnpacked (component.name);
}

std::unique_ptr<ArchiveFile> DownloadThread::fetchArchive (const ComponentRecord& component)
{
    showProgress (0.0);

    std::unique_ptr<juce::InputStream> source;
    const WebReader* download = nullptr;

    if (component.online)
    {
        auto webReader = std::make_unique<WebReader> (ServerRequest::makeUrl (component.url), false, this);
        setStatus ("TXT_DOWNLOADiNG_AND_INSTALLING", &component);

        if (! webReader->connect())
            return {};

        download = webReader.get();
        source = std::move (webReader);
    }
    else
    {
        source = juce::File (component.url).createInputStream();
        setStatus ("TXT_INSTALLING_FROM_DISK", &component);

        if (source == nullptr)
            return {};
    }

    const auto totalLength = source->getTotalLength();
    const auto temp = getTempFolderPath();
    juce::File (temp).createDirectory();

    // Read until the stream is exhausted: a network stream's short reads are not its end. What
    // is read never grows beyond the bound, nor beyond what the disk can hold. The archive goes
    // to a file as it arrives, and the file is removed with the object, whole or not.
    const auto limit = ArchiveUnpacker::getArchiveByteLimit (temp);
    auto archive = std::make_unique<ArchiveFile> (juce::File (temp));
    char buffer[readBlockSize];
    bool withinLimit = totalLength <= limit;

    while (withinLimit && ! threadShouldExit())
    {
        auto numRead = source->read (buffer, readBlockSize);

        if (numRead <= 0)
            break;

        if (archive->getSize() + numRead > limit)
        {
            withinLimit = false;
            break;
        }

        if (! archive->append (buffer, (size_t) numRead))
            break;

        if (totalLength > 0)
            showProgress ((double) archive->getSize() / (double) totalLength);
    }

    // The reads end alike at the reply's end and where a transfer broke: only the stream knows.
    const bool received = download == nullptr || ! download->hasFailed();
    const bool written = archive->finishWriting();
    const bool complete = written && withinLimit && received && (totalLength < 0 || archive->getSize() == totalLength);

    if (! complete || archive->getSize() == 0)
        return {};

    return archive;
}

juce::StringArray DownloadThread::getDestinationFolders() const
{
    juce::StringArray folders;

    for (auto& task : tasks)
        for (auto& format : task.formats)
            if (const auto folder = destinationForFormat (task.locations, format); juce::File::isAbsolutePath (folder))
                folders.addIfNotAlreadyThere (folder);

    return folders;
}

bool DownloadThread::isNewCopyReady (const ComponentRecord& component) const
{
    const auto temp = getTempFolderPath();
    const auto newCopy = InstallPaths::join (temp, component.name);

    return unpacker.hasUnpacked (component.name) && InstallPaths::isStrictlyInside (newCopy, temp)
           && PlatformFiles::existsWithoutFollowing (newCopy);
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
    const auto temp = getTempFolderPath();

    if (! juce::File (temp).isDirectory() || ! juce::File::isAbsolutePath (destination) || ! isSafeComponentName (component.name))
        return false;

    const auto installed = InstallPaths::join (destination, component.name);
    const auto staged = InstallPaths::join (destination, InstallPaths::stagedName (component.name));

    // An installed copy reached through a link is not replaced, nor anything where it leads.
    if (PlatformFiles::isSymbolicLink (installed) || PlatformFiles::isSymbolicLink (staged))
    {
        setStatus ("TXT_INSTALLATION_FAILED", &component);
        return false;
    }

    runPrivileged ("/bin/mkdir", { "-p", destination });

    // The new copy is first moved beside the installed one under a hidden name: that move is the
    // one step that can fail part way (across volumes), and it costs nothing installed. Only then
    // is the installed copy removed and the new one renamed into place, within one folder.
    auto removeStaged = [&]
    {
        if (PlatformFiles::existsWithoutFollowing (staged) && InstallPaths::isStrictlyInside (staged, destination))
            runPrivileged ("/bin/rm", { "-R", "-f", staged });
    };

    removeStaged();

    const bool stagedWhole = InstallPaths::isStrictlyInside (staged, destination)
                             && ! PlatformFiles::existsWithoutFollowing (staged)
                             && runPrivileged ("/bin/mv", { "-f", InstallPaths::join (temp, component.name), staged });

    const bool oldCopyGone = stagedWhole
                             && (! PlatformFiles::existsWithoutFollowing (installed)
                                 || (removePath (component, destination) && ! PlatformFiles::existsWithoutFollowing (installed)));

    if (! oldCopyGone)
    {
        removeStaged();
        setStatus ("TXT_INSTALLATION_FAILED", &component);
        return false;
    }

    // Should even the rename fail, the new copy stays staged rather than lost.
    if (InstallPaths::isStrictlyInside (installed, destination) && runPrivileged ("/bin/mv", { "-f", staged, installed }))
        return true;

    setStatus ("TXT_INSTALLATION_FAILED", &component);
    return false;
}

bool DownloadThread::removePath (const ComponentRecord& component, const juce::String& destination)
{
    // Only ever one entry directly in an absolute destination folder; an entry that is a link
    // is removed as a link.
    if (! juce::File::isAbsolutePath (destination) || ! isSafeComponentName (component.name))
        return false;

    const auto path = InstallPaths::join (destination, component.name);

    if (! PlatformFiles::existsWithoutFollowing (path))
        return false;

    return runPrivileged ("/bin/rm", { "-R", "-f", path });
}

void runInstallTasks (const juce::OwnedArray<InstallTask>& tasks, bool installMode)
{
    DownloadThread download (tasks, installMode);
    download.runThread (TaskWindow::priority);
}
