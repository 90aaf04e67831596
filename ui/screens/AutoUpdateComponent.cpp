#include "ui/screens/AutoUpdateComponent.h"

#include "catalogue/ProductCatalogue.h"
#include "catalogue/ServerRequest.h"
#include "catalogue/VersionReply.h"
#include "services/ProgramQuit.h"
#include "services/ProgramValues.h"
#include "tasks/TaskWindow.h"
#include "tasks/updateapp/TaskWindow.h"
#include "ui/screens/ScreenCode.h"

AutoUpdateComponent::AutoUpdateComponent()
    : juce::Component ("AutoUpdateComponent")
    , quitProgram ([]
                   { ProgramQuit::request(); })
{
}

AutoUpdateComponent::~AutoUpdateComponent() = default;

//==============================================================================
void AutoUpdateComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0.0f, 0.0f, 0.0f, 0.0f));
}

void AutoUpdateComponent::resized()
{
}

void AutoUpdateComponent::buttonClicked (juce::Button*)
{
    sendScreenCode (ScreenCode::welcome);
}

//==============================================================================
void AutoUpdateComponent::start()
{
    sendScreenCode (ScreenCode::updateCheck);
}

void AutoUpdateComponent::checkForUpdate()
{
    // On the message thread with the one bounded wait: a silent server must not freeze the start.
    auto reply = VersionReply::read (ServerRequest ("GET_VERSION").readXml().get());

    if (reply.offer == VersionReply::Offer::noReply)
    {
        showOfflineCatalogue();
        return;
    }

    if (reply.offer == VersionReply::Offer::none)
    {
        sendScreenCode (ScreenCode::welcome);
        return;
    }

    const bool required = reply.offer == VersionReply::Offer::required;
    const bool install = juce::AlertWindow::showOkCancelBox (
        juce::MessageBoxIconType::InfoIcon,
        TRANS (required ? "MSG_PLUGIN_MANAGER_UPDATE_REQUIRED" : "MSG_PLUGIN_MANAGER_UPDATE_AVAILABLE"),
        TRANS (required ? "MSG_PLUGIN_MANAGER_UPDATE_REQUIRED_TEXT" : "MSG_PLUGIN_MANAGER_UPDATE_AVAILABLE_TEXT"),
        TRANS ("BUT_INSTALL"),
        TRANS (required ? "BUT_EXIT" : "BUT_SKIP"),
        nullptr,
        nullptr);

    if (install)
    {
        installUpdate (reply.macPath, reply.version);
        return;
    }

    if (required)
        quitProgram();

    sendScreenCode (ScreenCode::welcome);
}

void AutoUpdateComponent::installUpdate (const juce::String& macPath, float version)
{
    auto task = std::make_unique<updateapp::TaskWindow> (repositoryBaseUrl + macPath, version);

    if (launchHandOver)
        task->setLauncher (launchHandOver);

    task->runThread (TaskWindow::priority);

    // Whatever the outcome: the hand-over, if started, waits for this program to end.
    quitProgram();
    task.reset();
    sendScreenCode (ScreenCode::welcome);
}

void AutoUpdateComponent::showOfflineCatalogue()
{
    // The build must come from the offline repository, not from a server catalogue an earlier
    // online session left behind.
    auto& catalogue = ProductCatalogue::getInstance();
    catalogue.dropOnlineComponents();
    catalogue.loadOfflineRepository();
    catalogue.buildFromXml (nullptr);
    sendScreenCode (ScreenCode::offline);
}
