#pragma once

#include "catalogue/BundleFixtures.h"
#include "support/ServerFixture.h"
#include "support/TestEnvironment.h"

#include <string>
#include <vector>

// The stand-in server with a repository for the manager's own update archive, an empty temporary
// folder and the English strings.
class UpdateServerFixture : public ServerFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    static constexpr const char* macPath = "updates/MAC/Quorvelan Plugin Manager.app.zip";
    static constexpr const char* archivePath = "/plugrepo/updates/MAC/Quorvelan Plugin Manager.app.zip";

    juce::File servedArchive() const { return repository.getChild (macPath); }

    // Serves a stored (uncompressed) archive holding the bundle, its binary of the given size.
    void serveBundle (int binarySize = 4000);

    // The paths of every request received, as on the wire.
    std::vector<std::string> getRequestPaths() const;

    BundleFixtures::ScratchFolder repository;
};

// The fixture set up only where the test body runs: inside the private namespace.
template <typename Fixture>
class InPrivateRootOnly : public Fixture
{
protected:
    void SetUp() override
    {
        if (TestEnvironment::isInPrivateRoot())
            Fixture::SetUp();
    }

    void TearDown() override
    {
        if (TestEnvironment::isInPrivateRoot())
            Fixture::TearDown();
    }
};
