#include "services/ProgramQuit.h"

#include <juce_events/juce_events.h>

#if JUCE_LINUX || JUCE_BSD
#include <sys/eventfd.h>
#include <unistd.h>

namespace
{
// JUCE's Linux loop (dispatchNextMessageOnSystemQueue) looks at the quit flag only after a round
// that dispatched something, and takes that answer from the last round of whatever modal loop ran
// inside the callback. A quit asked during or after a modal loop (a prompt, a task window) is
// therefore handled inside that callback, and the outer loop goes back to sleep in poll() with the
// flag set until some other event arrives; without a window manager none ever does. Nothing can
// be posted to wake it: the message manager refuses every message once the quit is posted. So the
// loop is given a descriptor that is always readable (an eventfd that is never read): its next
// poll returns at once, the no-op callback counts as dispatched, and the loop sees the flag.
class QuitWaker final : private juce::DeletedAtShutdown
{
public:
    QuitWaker()
    {
        if (descriptor >= 0)
            juce::LinuxEventLoop::registerFdCallback (descriptor, [] (int) {});
    }

    ~QuitWaker() override
    {
        if (descriptor >= 0)
        {
            juce::LinuxEventLoop::unregisterFdCallback (descriptor);
            ::close (descriptor);
        }

        clearSingletonInstance();
    }

    JUCE_DECLARE_SINGLETON_SINGLETHREADED_MINIMAL (QuitWaker)

private:
    const int descriptor = ::eventfd (1, EFD_CLOEXEC | EFD_NONBLOCK);

    JUCE_DECLARE_NON_COPYABLE (QuitWaker)
};

JUCE_IMPLEMENT_SINGLETON (QuitWaker)
} // namespace
#endif

void ProgramQuit::request()
{
    JUCE_ASSERT_MESSAGE_THREAD
    juce::JUCEApplicationBase::quit();

#if JUCE_LINUX || JUCE_BSD
    QuitWaker::getInstance();
#endif
}
