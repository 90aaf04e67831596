#include "catalogue/BundleFixtures.h"

namespace BundleFixtures
{
juce::String makePlistText (const PlistEntries& entries)
{
    juce::String text;
    text << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         << "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
         << "<plist version=\"1.0\">\n<dict>\n";

    for (auto& [key, value] : entries)
        text << "\t<key>" << key << "</key>\n\t<string>" << value << "</string>\n";

    return text << "</dict>\n</plist>\n";
}

juce::File writeBundle (const juce::File& folder, const juce::String& name, const juce::String& plistText)
{
    auto plist = folder.getChildFile (name).getChildFile ("Contents/Info.plist");
    plist.getParentDirectory().createDirectory();
    plist.replaceWithText (plistText);
    return plist;
}

juce::File writeBundleWithVersion (const juce::File& folder, const juce::String& name, const juce::String& version)
{
    return writeBundle (folder, name, makePlistText ({ { "CFBundleName", name }, { "CFBundleShortVersionString", version } }));
}

ScratchFolder::ScratchFolder()
    : folder (juce::File::createTempFile ("quorvelan-plugins"))
{
    folder.createDirectory();
}

ScratchFolder::~ScratchFolder()
{
    folder.deleteRecursively (false);
}

juce::File ScratchFolder::getChild (const juce::String& path) const
{
    return folder.getChildFile (path);
}

juce::String ScratchFolder::getPath (const juce::String& childPath) const
{
    return juce::File::addTrailingSeparator (getChild (childPath).getFullPathName());
}
} // namespace BundleFixtures
