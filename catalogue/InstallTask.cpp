#include "catalogue/InstallTask.h"

InstallTask::InstallTask (int id, const juce::StringArray& formatNames, const FormatLocations& folders)
    : productId (id)
    , formats (formatNames)
    , locations (folders)
{
}
