#include "catalogue/BundleFixtures.h"

#include "catalogue/ProductCatalogue.h"
#include "readers/XmlReading.h"

#include <zlib.h>

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
    catalogue.useComponentsXml (XmlReading::parse (xml), online);
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

bool writeScript (const juce::File& file, const juce::String& text)
{
    return file.replaceWithText (text, false, false, "\n") && file.setExecutePermission (true);
}

int runShell (const juce::String& commandLine)
{
    juce::StringArray command;
    command.add ("/bin/sh");
    command.add ("-c");
    command.add (commandLine);

    juce::ChildProcess process;

    if (! process.start (command))
        return -1;

    process.readAllProcessOutput();
    process.waitForProcessToFinish (-1);
    return (int) process.getExitCode();
}

bool zipWithInfoZip (const juce::File& folder, const juce::String& entries, const juce::File& archive, const juce::String& options)
{
    archive.deleteFile();
    archive.getParentDirectory().createDirectory();
    return runShell ("cd '" + folder.getFullPathName() + "' && zip -q -r " + options + " '" + archive.getFullPathName() + "' " + entries) == 0;
}

bool damageEntryData (const juce::File& archive, const juce::String& entryName, int offsetIntoData)
{
    juce::MemoryBlock bytes;

    if (! archive.loadFileAsData (bytes))
        return false;

    // The first occurrence of the name is in the entry's local header, just before its data.
    const auto name = entryName.toStdString();
    const std::string all (static_cast<const char*> (bytes.getData()), bytes.getSize());
    const auto namePos = all.find (name);

    if (namePos == std::string::npos || namePos < 2)
        return false;

    const auto extraLength = (size_t) ((unsigned char) all[namePos - 2] | ((unsigned char) all[namePos - 1] << 8));
    const auto dataPos = namePos + name.size() + extraLength + (size_t) offsetIntoData;

    if (dataPos + 8 >= bytes.getSize())
        return false;

    for (size_t i = 0; i < 8; ++i)
        bytes[dataPos + i] = (char) (bytes[dataPos + i] ^ 0x5a);

    return archive.replaceWithData (bytes.getData(), bytes.getSize());
}

bool writeRawZip (const juce::File& archive, const std::vector<RawZipEntry>& entries)
{
    juce::MemoryOutputStream files, directory;

    // The fields both headers share, from the version needed on: version, flags, method, time,
    // date (1 Jan 1980), CRC-32, both sizes, name length, extra length.
    auto writeCommon = [] (juce::MemoryOutputStream& out, const RawZipEntry& entry)
    {
        const auto crc = (juce::uint32) crc32 (0L, reinterpret_cast<const Bytef*> (entry.data.data()), (uInt) entry.data.size());
        out.writeShort (20);
        out.writeShort (0);
        out.writeShort (0);
        out.writeShort (0);
        out.writeShort (0x21);
        out.writeInt ((int) crc);
        out.writeInt ((int) entry.data.size());
        out.writeInt ((int) entry.data.size());
        out.writeShort ((short) entry.name.size());
        out.writeShort (0);
    };

    for (auto& entry : entries)
    {
        const auto offset = (int) files.getPosition();
        files.writeInt (0x04034b50);
        writeCommon (files, entry);
        files.write (entry.name.data(), entry.name.size());
        files.write (entry.data.data(), entry.data.size());

        directory.writeInt (0x02014b50);
        directory.writeShort (0x0314); // made on Unix
        writeCommon (directory, entry);
        directory.writeShort (0); // comment length
        directory.writeShort (0); // disk
        directory.writeShort (0); // internal attributes
        directory.writeInt ((int) ((entry.isLink ? 0120777u : 0100644u) << 16));
        directory.writeInt (offset);
        directory.write (entry.name.data(), entry.name.size());
    }

    juce::MemoryOutputStream end;
    end.writeInt (0x06054b50);
    end.writeShort (0);
    end.writeShort (0);
    end.writeShort ((short) entries.size());
    end.writeShort ((short) entries.size());
    end.writeInt ((int) directory.getDataSize());
    end.writeInt ((int) files.getDataSize());
    end.writeShort (0);

    juce::MemoryBlock whole (files.getData(), files.getDataSize());
    whole.append (directory.getData(), directory.getDataSize());
    whole.append (end.getData(), end.getDataSize());
    return archive.replaceWithData (whole.getData(), whole.getSize());
}

juce::String ScratchFolder::getPath (const juce::String& childPath) const
{
    return juce::File::addTrailingSeparator (getChild (childPath).getFullPathName());
}
} // namespace BundleFixtures
