#include "fuzz/FuzzCheck.h"
#include "readers/XmlReading.h"

#include <cstdint>

namespace
{
// The depth of the deepest element below and including this one.
int depthOf (const juce::XmlElement& element)
{
    int deepest = 0;

    for (auto* child : element.getChildIterator())
        if (! child->isTextElement())
            deepest = juce::jmax (deepest, depthOf (*child));

    return deepest + 1;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    for (auto references : { XmlReading::CharacterReferences::xml, XmlReading::CharacterReferences::anyScalar })
    {
        if (auto root = XmlReading::parse (data, size, references))
        {
            FUZZ_CHECK (root->getTagName().isNotEmpty());
            FUZZ_CHECK (! root->isTextElement());
            FUZZ_CHECK (depthOf (*root) <= XmlReading::maxNestingDepth);
        }
    }

    return 0;
}
