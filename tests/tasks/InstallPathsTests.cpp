#include <gtest/gtest.h>

#include "catalogue/BundleFixtures.h"
#include "tasks/DownloadThread.h"
#include "tasks/InstallPaths.h"

TEST (InstallPaths, NamesAreJoinedAsTextAndLinksResolvedBeforeUse)
{
    for (auto* bad : { "~", "~root", "~/x", "Tab\tName", "Line\nName", "a/b" })
    {
        EXPECT_FALSE (InstallPaths::isSafeName (bad)) << bad;
        EXPECT_FALSE (DownloadThread::isSafeComponentName (bad)) << bad;
    }

    for (auto* good : { "Alpha.vst", "x~", "a~b.component", ".hidden" })
        EXPECT_TRUE (InstallPaths::isSafeName (good)) << good;

    EXPECT_EQ (InstallPaths::join ("/Library/VST/", "~"), "/Library/VST/~");
    EXPECT_EQ (InstallPaths::join ("/Library/VST", "A.vst"), "/Library/VST/A.vst");

    BundleFixtures::ScratchFolder scratch;
    const auto folder = scratch.getChild ("folder");
    ASSERT_TRUE (folder.getChildFile ("Inside.vst").createDirectory());
    ASSERT_TRUE (scratch.getChild ("outside/Victim.app").createDirectory());
    ASSERT_TRUE (juce::File::createSymbolicLink (folder.getChildFile ("Out"), scratch.getChild ("outside").getFullPathName(), false));
    ASSERT_TRUE (juce::File::createSymbolicLink (folder.getChildFile ("Link.vst"), folder.getChildFile ("Inside.vst").getFullPathName(), false));

    const auto inFolder = [&folder] (const juce::String& p)
    { return folder.getFullPathName() + "/" + p; };

    EXPECT_TRUE (InstallPaths::isStrictlyInside (inFolder ("Inside.vst"), folder.getFullPathName()));
    EXPECT_TRUE (InstallPaths::isStrictlyInside (inFolder ("Missing.vst"), folder.getFullPathName() + "/"));
    EXPECT_FALSE (InstallPaths::isStrictlyInside (inFolder ("Out/Victim.app"), folder.getFullPathName())) << "through a link, outside";
    EXPECT_FALSE (InstallPaths::isStrictlyInside (inFolder ("Link.vst"), folder.getFullPathName())) << "the entry itself is a link";
    EXPECT_FALSE (InstallPaths::isStrictlyInside (inFolder ("Inside.vst/.."), folder.getFullPathName()));
    EXPECT_FALSE (InstallPaths::isStrictlyInside (folder.getFullPathName(), folder.getFullPathName())) << "not the folder itself";
    EXPECT_FALSE (InstallPaths::isStrictlyInside (inFolder ("~"), scratch.getChild ("missing").getFullPathName()));
    EXPECT_FALSE (InstallPaths::isStrictlyInside (inFolder ("~"), folder.getFullPathName())) << "never a name the framework reads as home";
}
