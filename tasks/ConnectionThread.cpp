#include "tasks/ConnectionThread.h"

#include "catalogue/ProductCatalogue.h"
#include "tasks/TaskWindow.h"

ConnectionThread::ConnectionThread()
    : juce::ThreadWithProgressWindow (TRANS ("Connecting..."), true, true, TaskWindow::stopTimeoutMs, TaskWindow::cancelButtonText)
{
}

ConnectionThread::~ConnectionThread() = default;

void ConnectionThread::run()
{
    // The bar's only writer is the mirror, on the message thread.
    *buildProgress.getValuePointer() = 0.0;
    setStatusMessage (TRANS ("TXT_CONNECTING"));
    ProductCatalogue::getInstance().requestComponents (buildProgress.getValuePointer(), this);
}

void runConnectionWindow()
{
    ConnectionThread connection;
    connection.runThread (TaskWindow::priority);
}
