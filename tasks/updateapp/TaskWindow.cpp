#include "tasks/updateapp/TaskWindow.h"

#include "catalogue/PluginFolders.h"
#include "catalogue/ServerRequest.h"
#include "catalogue/WebReader.h"
#include "platform/SelfUpdateHandOver.h"
#include "services/InfoAlert.h"
#include "tasks/TaskWindow.h"

namespace updateapp
{
namespace
{
    constexpr int blockSize = 1024;
    constexpr int httpOk = 200;
} // namespace

TaskWindow::TaskWindow (const juce::String& url, float version)
    : juce::ThreadWithProgressWindow (TRANS ("TXT_DOWNLOADING_UPDATE"), true, true, ::TaskWindow::stopTimeoutMs, ::TaskWindow::cancelButtonText)
    , downloadUrl (url)
    , newVersion (version)
    , launcher ([]
                { SelfUpdateHandOver::launchSelfUpdateScript ({ getTempFolderPath(), {} }); })
{
}

TaskWindow::~TaskWindow() = default;

void TaskWindow::setLauncher (std::function<void()> newLauncher)
{
    launcher = std::move (newLauncher);
}

juce::String TaskWindow::getStatusText() const
{
    const juce::ScopedLock sl (statusLock);
    return statusText;
}

juce::String TaskWindow::makeStatusText (float version)
{
    return TRANS ("TXT_APP_TITLE") + " v" + juce::String (version, 2);
}

juce::File TaskWindow::getArchiveFile()
{
    return juce::File (getTempFolderPath() + "/" + SelfUpdateHandOver::archiveName);
}

juce::File TaskWindow::getUnpackedBundle()
{
    return juce::File (getTempFolderPath() + "/" + SelfUpdateHandOver::bundleName);
}

bool TaskWindow::holdsBundle (const juce::File& archive)
{
    juce::ZipFile zip (archive);
    const auto prefix = juce::String (SelfUpdateHandOver::bundleName) + "/";

    for (int i = 0; i < zip.getNumEntries(); ++i)
        if (zip.getEntry (i)->filename.replaceCharacter ('\\', '/').startsWith (prefix))
            return true;

    return false;
}

//==============================================================================
void TaskWindow::run()
{
    const bool downloaded = download();

    if (threadShouldExit())
    {
        outcome = Outcome::cancelled;
        return;
    }

    outcome = downloaded ? Outcome::downloaded : Outcome::failed;
}

void TaskWindow::threadComplete (bool userPressedCancel)
{
    const auto result = outcome.load();

    if (userPressedCancel || (result != Outcome::failed && result != Outcome::downloaded))
        return;

    // The box must not come up beneath this window: a box raised while the window is up can end
    // below it (with the window's "Cancel" over its "OK"), and a hidden window that still has its
    // native peer can be brought back to the front. Without a peer it cannot cover anything.
    getAlertWindow()->removeFromDesktop();

    if (result == Outcome::failed)
    {
        InfoAlert::show ("MSG_DOWNLOAD_FAILED", "MSG_DOWNLOAD_FAILED_DESC");
        return;
    }

    InfoAlert::show ("MSG_DOWNLOAD_COMPLETE", "MSG_DOWNLOAD_COMPLETE_WILL_QUIT_PASSWORD");

    if (launcher)
        launcher();
}

bool TaskWindow::download()
{
    // The bar's one source: the mirror copies this value into the window.
    auto& barValue = *barProgress.getValuePointer();
    barValue = 0.0;
    downloadUrl = downloadUrl.replace (" ", "%20");

    // No time-out: a stalled server is left by "Cancel", which aborts the read under way.
    WebReader input (ServerRequest::makeUrl (downloadUrl), false, this);
    const bool connected = input.connect();

    const auto archive = getArchiveFile();
    getUnpackedBundle().deleteRecursively();
    archive.deleteRecursively();
    archive.create();

    auto output = std::make_unique<juce::FileOutputStream> (archive, blockSize);

    if (! connected || ! output->openedOk())
        return false;

    {
        const juce::ScopedLock sl (statusLock);
        statusText = makeStatusText (newVersion);
    }

    setStatusMessage (getStatusText());

    // An error page still comes with a stream; only the archive itself counts.
    const bool statusOk = input.getStatusCode() == httpOk;
    const auto total = (int) input.getTotalLength();
    int done = 0;
    bool written = true;
    char buffer[blockSize];

    while (! input.isExhausted())
    {
        if (threadShouldExit())
            return false;

        const auto numRead = input.read (buffer, blockSize);

        if (numRead <= 0)
            continue;

        // A byte counts once it is on disk: a full disk must not pass for a whole download.
        if (! output->write (buffer, (size_t) numRead))
        {
            written = false;
            break;
        }

        done += numRead;

        if (total > 0)
            barValue = (double) done / (double) total;
    }

    if (threadShouldExit())
        return false;

    output->flush();
    written = written && output->getStatus().wasOk();
    output.reset();

    // A transfer that broke is a failure whatever its byte count says.
    return statusOk && written && ! input.hasFailed() && done != 0 && total != 0 && done == total
           && archive.getSize() == (juce::int64) total && holdsBundle (archive);
}
} // namespace updateapp
