#include "catalogue/PluginFolders.h"

#include "services/SettingsFiles.h"

juce::String getDefaultRtasFolder()
{
    return "/Library/Application Support/Digidesign/Plug-Ins/";
}

juce::String getDefaultVstFolder()
{
    return "/Library/Audio/Plug-Ins/VST/";
}

juce::String getDefaultVst64Folder()
{
    return {};
}

juce::String getDefaultAuFolder()
{
    return "/Library/Audio/Plug-Ins/Components/";
}

FormatLocations getDefaultPluginFolders()
{
    FormatLocations folders;
    folders.rtas = getDefaultRtasFolder();
    folders.vst = getDefaultVstFolder();
    folders.vst64 = getDefaultVst64Folder();
    folders.au = getDefaultAuFolder();
    return folders;
}

juce::String getTempFolderPath()
{
    return SettingsFiles::getSettingsFolderPath() + "temp";
}
