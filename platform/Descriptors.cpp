#include "platform/Descriptors.h"

#include <unistd.h>

#include <cerrno>

bool Descriptors::writeAll (int descriptor, const void* data, size_t numBytes)
{
    auto* bytes = static_cast<const char*> (data);

    while (numBytes > 0)
    {
        auto written = ::write (descriptor, bytes, numBytes);

        if (written < 0 && errno == EINTR)
            continue;

        if (written <= 0)
            return false;

        bytes += written;
        numBytes -= (size_t) written;
    }

    return true;
}
