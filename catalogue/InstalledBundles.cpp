#include "catalogue/InstalledBundles.h"

#include "platform/PlatformFiles.h"
#include "readers/XmlReading.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace
{
const juce::String notFound ("/");

// The next sibling that is an element, passing over text between the two.
const juce::XmlElement* findNextElement (const juce::XmlElement& element)
{
    for (auto* next = element.getNextElement(); next != nullptr; next = next->getNextElement())
        if (! next->isTextElement())
            return next;

    return nullptr;
}

const juce::XmlElement* findVersionValue (const juce::XmlElement& plist)
{
    auto* dict = XmlReading::getChildByName (plist, "dict");

    if (dict == nullptr)
        return nullptr;

    for (auto* child : dict->getChildIterator())
    {
        if (! XmlReading::hasTagName (child, "key"))
            continue;

        auto key = child->getAllSubText();

        if (key == "CFBundleVersion" || key == "CFBundleShortVersionString")
            return findNextElement (*child);
    }

    return nullptr;
}
} // namespace

bool isRealDirectory (const juce::File& file)
{
    return ! PlatformFiles::isSymbolicLink (file.getFullPathName()) && file.isDirectory();
}

bool folderHoldsBundleDirectly (const juce::File& directory, const juce::String& bundleName)
{
    for (const auto& entry : juce::RangedDirectoryIterator (directory, false, bundleName, juce::File::findDirectories,
                                                            juce::File::FollowSymlinks::no))
        if (isRealDirectory (entry.getFile()))
            return true;

    return false;
}

juce::String findBundleFolder (const juce::String& folder, const juce::String& bundleName)
{
    // An empty folder would mean searching the whole disk.
    if (folder.isEmpty() || bundleName.isEmpty() || ! juce::File::isAbsolutePath (folder))
        return notFound;

    juce::File directory (folder);

    if (! directory.isDirectory())
        return notFound;

    if (folderHoldsBundleDirectly (directory, bundleName))
        return juce::File::addTrailingSeparator (directory.getFullPathName());

    // Links are neither followed nor taken for the bundle: what is found lies in the tree itself.
    for (const auto& entry : juce::RangedDirectoryIterator (directory, true, bundleName, juce::File::findDirectories,
                                                            juce::File::FollowSymlinks::no))
        if (isRealDirectory (entry.getFile()))
            return juce::File::addTrailingSeparator (entry.getFile().getParentDirectory().getFullPathName());

    return notFound;
}

float readBundleVersion (const juce::String& plistPath)
{
    if (! juce::File::isAbsolutePath (plistPath))
        return 0.0f;

    // Only a regular file of reasonable size is read: a FIFO, a device or a huge file is no plist.
    auto root = XmlReading::parseFile (juce::File (plistPath), XmlReading::maxFileBytes);

    if (! XmlReading::hasTagName (root.get(), "plist"))
        return 0.0f;

    auto* value = findVersionValue (*root);

    if (value == nullptr)
        return 0.0f;

    const auto version = std::atof (value->getAllSubText().toRawUTF8());

    // "nan", "inf" or a number beyond float range is no version.
    if (! std::isfinite (version) || std::abs (version) > (double) std::numeric_limits<float>::max())
        return 0.0f;

    return (float) version;
}
