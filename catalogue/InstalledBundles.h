#pragma once

#include <juce_core/juce_core.h>

// The folder, with a closing "/", that holds a directory whose name matches the wildcard
// pattern: the folder itself when one of its immediate sub-directories matches, else the parent
// of the first match anywhere below it. "/" when nothing matches, the folder is missing, or the
// folder or name is empty (no search is made from the root).
juce::String findBundleFolder (const juce::String& folder, const juce::String& bundleName);

// The two kinds of entry the search looks at: a directory that is not a symbolic link (the only
// kind it takes for a bundle or walks into), and the direct-child step: an immediate such
// sub-directory of the folder whose name matches the pattern.
bool isRealDirectory (const juce::File& file);
bool folderHoldsBundleDirectly (const juce::File& directory, const juce::String& bundleName);

// The version in a bundle's Info.plist: the value after the first "CFBundleVersion" or
// "CFBundleShortVersionString" key of the top dictionary, read as a leading decimal number.
// 0 when the file is missing, is not an XML plist, has neither key or holds no usable number.
float readBundleVersion (const juce::String& plistPath);
