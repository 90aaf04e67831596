#include "support/UpdateServerFixture.h"

#include "catalogue/PluginFolders.h"
#include "catalogue/ServerRequest.h"
#include "localisation/Languages.h"

void UpdateServerFixture::SetUp()
{
    ServerFixture::SetUp();
    setLanguage (0);
    juce::File (getTempFolderPath()).deleteRecursively();
    server.setRepositoryFolder (repository.getFile().getFullPathName().toStdString());
}

void UpdateServerFixture::TearDown()
{
    ServerFixture::TearDown();
    juce::File (getTempFolderPath()).deleteRecursively();
    ServerRequest::setMessageThreadTimeoutMs (ServerRequest::defaultMessageThreadTimeoutMs);
}

void UpdateServerFixture::serveBundle (int binarySize)
{
    servedArchive().getParentDirectory().createDirectory();
    ASSERT_TRUE (BundleFixtures::writeBundleArchive (servedArchive(), "Quorvelan Plugin Manager.app", "3.5",
                                                     juce::MemoryBlock ((size_t) binarySize, true), 0));
}

std::vector<std::string> UpdateServerFixture::getRequestPaths() const
{
    std::vector<std::string> paths;

    for (auto& request : server.getRequests())
        paths.push_back (request.path);

    return paths;
}
