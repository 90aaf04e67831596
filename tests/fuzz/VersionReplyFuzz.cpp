#include "catalogue/VersionReply.h"
#include "fuzz/FuzzCheck.h"
#include "readers/XmlReading.h"

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    auto root = XmlReading::parse (data, size);
    const auto reply = VersionReply::read (root.get());

    FUZZ_CHECK (std::isfinite (reply.version) && std::isfinite (reply.minimumVersion));

    using Offer = VersionReply::Offer;

    if (root == nullptr)
        FUZZ_CHECK (reply.offer == Offer::noReply);

    if (reply.offer == Offer::optional || reply.offer == Offer::required)
        FUZZ_CHECK (reply.version > VersionReply::getProgramVersion());

    if (reply.offer == Offer::required)
        FUZZ_CHECK (reply.minimumVersion > VersionReply::getProgramVersion());

    return 0;
}
