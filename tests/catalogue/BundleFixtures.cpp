#include "catalogue/BundleFixtures.h"

#include "catalogue/ProductCatalogue.h"

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

bool zipFolder (const juce::File& folder, const juce::File& archive, int compressionLevel,
                const std::vector<std::pair<juce::String, juce::String>>& extraEntries)
{
    juce::ZipFile::Builder builder;

    for (auto& file : folder.findChildFiles (juce::File::findFiles, true))
        builder.addFile (file, compressionLevel, file.getRelativePathFrom (folder));

    // The builder owns the streams it is given.
    for (auto& [name, text] : extraEntries)
        builder.addEntry (new juce::MemoryInputStream (text.toRawUTF8(), text.getNumBytesAsUTF8(), true),
                          compressionLevel, name, juce::Time::getCurrentTime());

    archive.deleteFile();
    archive.getParentDirectory().createDirectory();
    juce::FileOutputStream out (archive);
    return out.openedOk() && builder.writeToStream (out, nullptr);
}

bool writeBundleArchive (const juce::File& archive, const juce::String& name, const juce::String& version,
                         const juce::MemoryBlock& binary, int compressionLevel)
{
    ScratchFolder source;
    writeBundleWithVersion (source.getFile(), name, version);
    source.getChild (name + "/Contents/MacOS").createDirectory();
    source.getChild (name + "/Contents/MacOS/binary").replaceWithData (binary.getData(), binary.getSize());
    return zipFolder (source.getFile(), archive, compressionLevel);
}

juce::String componentXml (const juce::String& format, const juce::String& name, bool remove)
{
    return "<component platform=\"MAC\" format=\"" + format + "\"" + (remove ? " action=\"REMOVE\"" : "")
           + ">" + name + "</component>";
}

juce::String productXml (int id, const juce::String& title, const juce::String& latestVersion, int displayOrder,
                         const juce::String& componentsXml)
{
    return "<product id=\"" + juce::String (id) + "\"><product_title>" + title + "</product_title>"
           + "<latest_version>" + latestVersion + "</latest_version><display_order>" + juce::String (displayOrder)
           + "</display_order>" + componentsXml + "</product>";
}

ProductCatalogue& buildCatalogue (const juce::String& xml, bool online, std::atomic<double>* progress)
{
    auto& catalogue = ProductCatalogue::getInstance();
    catalogue.dropOnlineComponents();
    catalogue.dropOfflineComponents();
    catalogue.useComponentsXml (juce::parseXML (xml), online);
    catalogue.buildFromXml (progress);
    return catalogue;
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
