#include "fuzz/FuzzCheck.h"
#include "fuzz/ScratchFile.h"
#include "services/RememberedLogin.h"

#include <cstdint>

// The login file as it lies on disk: the bytes are written to a file of this process and read.
extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    static const ScratchFile scratch ("quorvelan_fuzz_login_");
    const auto& file = scratch.get();

    FUZZ_CHECK (file.replaceWithData (data, size) || size == 0);

    if (size == 0)
        file.create();

    if (auto login = RememberedLogin::read (file))
    {
        // What is read is what writing it gives back.
        FUZZ_CHECK (isStorableLoginText (login->email) && isStorableLoginText (login->password));
        FUZZ_CHECK (scrambleLoginText (scrambleLoginText (login->email)) == login->email);
        FUZZ_CHECK (scrambleLoginText (scrambleLoginText (login->password)) == login->password);
    }

    return 0;
}
