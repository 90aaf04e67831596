#include <gtest/gtest.h>

#include "app/KestruneApplication.h"
#include "app/KestruneMainWindow.h"
#include "localisation/Languages.h"
#include "services/ProgramValues.h"
#include "services/SettingsFiles.h"
#include "support/ModalDriver.h"
#include "support/TestEnvironment.h"
#include "ui/screens/QuorvelanMainComponent.h"

#include <stdexcept>

namespace
{
class StartUp : public testing::Test
{
protected:
    void SetUp() override
    {
        if (! TestEnvironment::isChildProcess())
            home = TestEnvironment::useFreshHome();

        SettingsFiles::createSettingsFolder();
        setLanguage (0);
    }

    juce::File initFile() const { return SettingsFiles::getSettingsFile ("init"); }

    juce::File home;
};
} // namespace

TEST (ExceptionReport, NamesFileLineAndWhatHappened)
{
    std::runtime_error withText ("disk full");
    std::runtime_error withoutText ("");

    EXPECT_EQ (KestruneApplication::buildExceptionReport (&withText, "Main.cpp", 42),
               "Exception Caught from File: Main.cpp LINE: 42\r\nWHAT HAPPENED: disk full");
    EXPECT_EQ (KestruneApplication::buildExceptionReport (&withoutText, "Main.cpp", 7),
               "Exception Caught from File: Main.cpp LINE: 7\r\nNO DETAIL GIVEN");
    EXPECT_EQ (KestruneApplication::buildExceptionReport (nullptr, "", 0),
               "Exception Caught from File:  LINE: 0\r\nNO DETAIL GIVEN");
}

TEST (ProgramValues, AddressesAndLicenceText)
{
    EXPECT_TRUE (serverRequestUrl.endsWith ("/plugin_manager.htm"));
    EXPECT_TRUE (repositoryBaseUrl.endsWith ("/plugrepo/"));
    EXPECT_EQ (serverRequestUrl.dropLastCharacters (19), repositoryBaseUrl.dropLastCharacters (10));
    EXPECT_EQ (getVersionText(), "3.22");

    auto text = getEulaText();
    EXPECT_GT (text.length(), 6000);
    EXPECT_TRUE (text.containsIgnoreCase ("Quorvelan"));
    EXPECT_TRUE (text.endsWith ("\r\n"));
    EXPECT_FALSE (text.replace ("\r\n", "").containsAnyOf ("\r\n")) << "every line ends in CR LF";
    EXPECT_FALSE (beginCatalogueRefresh());
}

TEST_F (StartUp, AcceptingTheLicenceWritesInit)
{
    ModalDriver driver;
    juce::StringArray buttons;
    bool escapeClosed = true;

    driver.whenModalAppears ([&] (juce::Component& modal)
                             {
        driver.seenTitles.add (ModalDriver::getTitle (modal));
        driver.seenMessages.add (ModalDriver::getMessage (modal));
        buttons = ModalDriver::getButtonTexts (modal);

        // The escape key must not answer the agreement.
        modal.keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
        escapeClosed = ! modal.isCurrentlyModal();

        ModalDriver::pressButton (modal, "Accept"); });

    KestruneMainWindow window;

    EXPECT_EQ (driver.getNumPending(), 0);
    EXPECT_FALSE (escapeClosed);
    EXPECT_EQ (driver.seenTitles, juce::StringArray ("End User Licence Agreement (EULA)"));
    EXPECT_EQ (driver.seenMessages, juce::StringArray ("Please read the following licence agrement, click Accept if you agree to the terms."));
    EXPECT_EQ (buttons, juce::StringArray ("Accept", "CANCEL"));

    ASSERT_TRUE (initFile().existsAsFile());
    auto text = initFile().loadFileAsString();
    EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_FALSE (text.contains ("DOCTYPE"));

    auto root = juce::parseXML (text);
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getTagName(), "Initialisation");
    ASSERT_EQ (root->getNumChildElements(), 2);
    EXPECT_EQ (root->getNumAttributes(), 0);

    auto* eula = root->getChildElement (0);
    EXPECT_EQ (eula->getTagName(), "eula");
    EXPECT_EQ (eula->getNumAttributes(), 1);
    EXPECT_EQ (eula->getStringAttribute ("acceptance"), "YES");
    EXPECT_EQ (eula->getNumChildElements(), 0);

    auto* local = root->getChildElement (1);
    EXPECT_EQ (local->getTagName(), "local");
    EXPECT_EQ (local->getNumAttributes(), 1);
    EXPECT_EQ (local->getStringAttribute ("language"), "English");
}

TEST_F (StartUp, InitWrittenInSpanishStillSaysEnglish)
{
    setLanguage (1);

    ModalDriver driver;
    juce::StringArray buttons;
    driver.whenModalAppears ([&] (juce::Component& modal)
                             {
        buttons = ModalDriver::getButtonTexts (modal);
        ModalDriver::pressButton (modal, TRANS ("Accept")); });

    KestruneMainWindow window;

    EXPECT_NE (buttons, juce::StringArray ("Accept", "CANCEL"));
    EXPECT_EQ (buttons.size(), 2);
    auto root = juce::parseXML (initFile());
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getChildByName ("local")->getStringAttribute ("language"), "English");
}

TEST_F (StartUp, LaterStartsShowNoAgreement)
{
    ASSERT_TRUE (initFile().create()); // empty, as good as any content

    ModalDriver driver;
    driver.pressWhenModalAppears ("Accept");

    KestruneMainWindow window;
    TestEnvironment::runFor (200);

    EXPECT_EQ (driver.getNumPending(), 1) << "no dialog appeared";
    EXPECT_EQ (window.getName(), "Quorvelan Plug-in Manager v3.22");
    EXPECT_TRUE (window.isVisible());
    EXPECT_FALSE (window.isResizable());
    EXPECT_EQ (window.getWidth(), 785);
    EXPECT_EQ (window.getHeight(), 480);
    ASSERT_NE (window.getMainComponent(), nullptr);
    EXPECT_EQ (window.getContentComponent(), window.getMainComponent());

    auto& lf = juce::LookAndFeel::getDefaultLookAndFeel();
    EXPECT_EQ (lf.findColour (0x1000541), juce::Colour (0xffc6fdfe));
    EXPECT_EQ (lf.findColour (0x1000540), juce::Colour (0xff4682b4));
    EXPECT_EQ (lf.findColour (0x1000200), juce::Colours::black);
    EXPECT_EQ (lf.findColour (0x1000500), juce::Colour (0.1f, 0.1f, 0.1f, 1.0f));
    EXPECT_EQ (lf.findColour (0x1001820), juce::Colour (0xffc6fdfe));
    EXPECT_EQ (lf.findColour (0x1000c00), juce::Colour (0xffc6fdfe));

    // The title keeps the language it was made in.
    setLanguage (1);
    EXPECT_EQ (window.getName(), "Quorvelan Plug-in Manager v3.22");
}

TEST_F (StartUp, SettingsFolderThatIsAFileIsLeftAlone)
{
    auto folder = SettingsFiles::getSettingsFolder();
    folder.deleteRecursively();
    ASSERT_TRUE (folder.create());

    SettingsFiles::createSettingsFolder();
    EXPECT_TRUE (folder.existsAsFile());

    // Writing into it fails quietly and reads as missing.
    KestruneMainWindow::writeInitFile();
    EXPECT_FALSE (initFile().exists());
    EXPECT_EQ (SettingsFiles::readXml (initFile()), nullptr);
}

// Runs only in a child process: cancelling ends the message loop for good.
TEST_F (StartUp, CancelInChild)
{
    if (! TestEnvironment::isChildProcess())
        GTEST_SKIP() << "runs inside LicenceAgreement.CancelQuitsWithoutWriting";

    ModalDriver driver;
    driver.pressWhenModalAppears ("CANCEL");

    KestruneMainWindow window;

    EXPECT_EQ (driver.getNumPending(), 0);
    EXPECT_FALSE (initFile().exists());
    EXPECT_FALSE (juce::MessageManager::getInstance()->runDispatchLoopUntil (50)) << "the message loop goes on";
}

TEST (LicenceAgreement, CancelQuitsWithoutWriting)
{
    auto home = TestEnvironment::useFreshHome();
    auto result = TestEnvironment::runTestInChildProcess ("StartUp.CancelInChild");

    EXPECT_EQ (result.exitCode, 0) << result.output;
    EXPECT_TRUE (result.output.contains ("[  PASSED  ] 1 test")) << result.output;
    EXPECT_FALSE (home.getChildFile (".config/Quorvelan/init").exists());
}
