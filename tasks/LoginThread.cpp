#include "tasks/LoginThread.h"

#include "readers/XmlReading.h"

#include "catalogue/ProductCatalogue.h"
#include "catalogue/ReplyEnvelope.h"
#include "catalogue/ServerRequest.h"
#include "services/InfoAlert.h"
#include "tasks/TaskWindow.h"

LoginThread::LoginThread (const juce::String& emailToUse, const juce::String& passwordToUse)
    : juce::ThreadWithProgressWindow (TRANS ("MSG_LOGGING_IN"), true, true, TaskWindow::stopTimeoutMs, TaskWindow::cancelButtonText)
    , email (emailToUse)
    , password (passwordToUse)
{
}

LoginThread::~LoginThread() = default;

bool LoginThread::login()
{
    if (email.isEmpty() || password.isEmpty())
    {
        InfoAlert::show ("Login", "MSG_PLEASE_ENTER_VALID_EMAIL_PASSWORD");
        return false;
    }

    if (! runThread (TaskWindow::priority))
    {
        InfoAlert::show ("Login", "MSG_LOGIN_CANCELLED");
        return false;
    }

    return loggedIn;
}

void LoginThread::run()
{
    if (requestLogin())
        loggedIn = true;
}

bool LoginThread::requestLogin()
{
    auto request = ServerRequest ("REQUEST_LICENCE")
                       .withParameter ("email", email)
                       .withParameter ("password", password);

    reply.reset();

    if (! request.readBytes (reply, this))
    {
        // A cancelled request has nothing to report: the window is already closing.
        if (threadShouldExit())
            return false;

        InfoAlert::show ("Login", "MSG_CANNOT_CONNECT_TO_SERVER");
        ProductCatalogue::getInstance().dropOnlineComponents();
        return false;
    }

    if (threadShouldExit())
        return false;

    auto root = XmlReading::parse (reply);

    switch (parseLoginReply (root.get()))
    {
        case 0:
            return true;

        case 2:
            InfoAlert::show ("Login", "MSG_USERNAME_OR_PASSWORD_INCORRECT");
            return false;

        default:
            InfoAlert::show ("Login", "XML Error. Please contact Quorvelan.");
            ProductCatalogue::getInstance().dropOnlineComponents();
            return false;
    }
}
