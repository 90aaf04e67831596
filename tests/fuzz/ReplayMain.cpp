// Runs a fuzz target once on every file given, or on every file below a folder given: the
// ordinary build's replay of each target's corpus.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size);
extern "C" __attribute__ ((weak)) int LLVMFuzzerInitialize (int* argc, char*** argv);

int main (int argc, char** argv)
{
    if (LLVMFuzzerInitialize != nullptr)
        LLVMFuzzerInitialize (&argc, &argv);

    std::vector<std::filesystem::path> inputs;

    for (int i = 1; i < argc; ++i)
    {
        const std::filesystem::path path (argv[i]);

        if (std::filesystem::is_directory (path))
        {
            for (const auto& entry : std::filesystem::recursive_directory_iterator (path))
                if (entry.is_regular_file())
                    inputs.push_back (entry.path());
        }
        else
        {
            inputs.push_back (path);
        }
    }

    if (inputs.empty())
    {
        std::fprintf (stderr, "no inputs\n");
        return 1;
    }

    std::sort (inputs.begin(), inputs.end());

    for (const auto& path : inputs)
    {
        std::ifstream in (path, std::ios::binary);
        const std::vector<char> bytes ((std::istreambuf_iterator<char> (in)), std::istreambuf_iterator<char>());

        std::fprintf (stderr, "%s\n", path.c_str());
        LLVMFuzzerTestOneInput (reinterpret_cast<const std::uint8_t*> (bytes.data()), bytes.size());
    }

    std::fprintf (stderr, "%zu inputs replayed\n", inputs.size());
    return 0;
}
