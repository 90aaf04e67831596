#pragma once

#include "catalogue/FormatLocations.h"

// The standard plug-in folder of each format. VST64 has none.
juce::String getDefaultRtasFolder();
juce::String getDefaultVstFolder();
juce::String getDefaultVst64Folder();
juce::String getDefaultAuFolder();

// The four standard folders together; the folders the installed-version scan looks in.
FormatLocations getDefaultPluginFolders();

// Where downloaded archives are unpacked: the settings folder's "temp", without a closing "/".
juce::String getTempFolderPath();
