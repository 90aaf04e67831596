#include "catalogue/ReplyEnvelope.h"
#include "fuzz/FuzzCheck.h"
#include "readers/XmlReading.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    auto root = XmlReading::parse (data, size);
    const auto outcome = ReplyEnvelope::check (root.get());
    const auto login = parseLoginReply (root.get());

    FUZZ_CHECK ((outcome == ReplyEnvelope::Outcome::noReply) == (root == nullptr));
    FUZZ_CHECK ((outcome == ReplyEnvelope::Outcome::ok) == (login == 0));
    FUZZ_CHECK ((login == 1) == ! ReplyEnvelope::isQuordata (root.get()));

    if (outcome == ReplyEnvelope::Outcome::refused)
        FUZZ_CHECK (ReplyEnvelope::buildErrorMessage (*root).endsWith ("\n\n"));

    return 0;
}
