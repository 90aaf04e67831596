#include <gtest/gtest.h>

#include "localisation/Languages.h"
#include "support/ModalDriver.h"
#include "support/TestEnvironment.h"
#include "ui/folders/FormatSelector.h"
#include "ui/screens/StatusScreenFixtures.h"
#include "ui/widgets/PluginManagerAlertWindow.h"

using namespace StatusScreenFixtures;

namespace
{
using Rect = juce::Rectangle<int>;

juce::ToggleButton* tick (FormatSelector& selector, const juce::String& format)
{
    return dynamic_cast<juce::ToggleButton*> (findNamed (selector, "m_" + format + "RadioButton"));
}

juce::Component* locationButton (FormatSelector& selector, const juce::String& format)
{
    return findNamed (selector, "m_" + format + "InstallLocationButton");
}

juce::TextEditor* locationEditor (FormatSelector& selector, const juce::String& format)
{
    return dynamic_cast<juce::TextEditor*> (findNamed (selector, "m_" + format + "LocationTextEditor"));
}

juce::GroupComponent* group (FormatSelector& selector, const juce::String& name)
{
    return dynamic_cast<juce::GroupComponent*> (findNamed (selector, name));
}

// The formats whose rows exist, in order, and the rows' top edges.
juce::StringArray builtRows (FormatSelector& selector)
{
    juce::StringArray rows;

    for (auto* format : { "RTAS", "VST", "VST64", "AU" })
        if (tick (selector, format) != nullptr)
            rows.add (juce::String (format) + "@" + juce::String (tick (selector, format)->getY()));

    return rows;
}

class FormatSelectorTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (! TestEnvironment::isInPrivateRoot())
            return;

        setLanguage (0);
        FormatSelector::forgetRememberedTicks();
        removeInstalledBundles();
    }
};
} // namespace

//==============================================================================
TEST_F (FormatSelectorTest, FourLayoutsBuildAndPlaceTheirRows)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT();

    installVst ("Current", "1.0");
    installAu ("Current", "1.0");
    installAu ("AuOnly", "1.0");
    installVst ("Older", "1.1");
    useProducts (product (1, "Current", "1.0") + product (2, "AuOnly", "1.0") + product (3, "Older", "1.2"));

    // Install all: RTAS, VST and AU, each ticked and enabled, with the catalogue's folders.
    {
        FormatSelector selector (true, nullptr);
        EXPECT_EQ (selector.getBounds(), Rect (0, 0, 480, 136));
        EXPECT_EQ (builtRows (selector), juce::StringArray ({ "RTAS@23", "VST@50", "AU@77" }));
        EXPECT_EQ (group (selector, "Format Selection")->getBounds(), Rect (12, 4, 104, 108));
        EXPECT_EQ (group (selector, "Format Selection")->getText(), "Install");
        EXPECT_EQ (group (selector, "new group")->getBounds(), Rect (120, 4, 352, 108));
        EXPECT_EQ (group (selector, "new group")->getText(), "Locations");

        struct Row
        {
            const char* format;
            int y, tickOrder, buttonOrder, editorOrder;
            juce::String folder;
        };

        for (auto& row : { Row{ "RTAS", 23, 0, 3, 6, getDefaultRtasFolder() },
                           Row{ "VST", 50, 1, 4, 7, getDefaultVstFolder() },
                           Row{ "AU", 77, 2, 5, 8, getDefaultAuFolder() } })
        {
            SCOPED_TRACE (row.format);
            auto* box = tick (selector, row.format);
            EXPECT_EQ (box->getBounds(), Rect (24, row.y, 80, 24));
            EXPECT_EQ (box->getButtonText(), row.format);
            EXPECT_TRUE (box->getToggleState());
            EXPECT_TRUE (box->isEnabled());
            EXPECT_EQ (box->getExplicitFocusOrder(), row.tickOrder);
            EXPECT_EQ (box->findColour (juce::ToggleButton::textColourId), juce::Colour (0xffc6fdfe));

            auto* button = locationButton (selector, row.format);
            EXPECT_EQ (button->getBounds(), Rect (128, row.y, 25, 23));
            EXPECT_EQ (button->getExplicitFocusOrder(), row.buttonOrder);
            EXPECT_EQ (dynamic_cast<juce::Button*> (button)->getButtonText(), "...");

            auto* editor = locationEditor (selector, row.format);
            EXPECT_EQ (editor->getBounds(), Rect (160, row.y, 300, 22));
            EXPECT_EQ (editor->getExplicitFocusOrder(), row.editorOrder);
            EXPECT_EQ (editor->getText(), row.folder);
            EXPECT_TRUE (editor->isReadOnly());
            EXPECT_FALSE (editor->isMultiLine());
        }

        EXPECT_EQ (group (selector, "Format Selection")->findColour (juce::GroupComponent::outlineColourId), juce::Colour (0xb1c6fdfe));
        EXPECT_EQ (group (selector, "new group")->findColour (juce::GroupComponent::textColourId), juce::Colour (0xffc6fdfe));

        // The ticks read back as AU, VST, RTAS with the folder fields.
        juce::StringArray formats;
        FormatLocations locations;
        selector.getInstallChoice (formats, locations);
        EXPECT_EQ (formats, juce::StringArray ({ "AU", "VST", "RTAS" }));
        EXPECT_EQ (locations.vst, getDefaultVstFolder());
        EXPECT_EQ (locations.rtas, getDefaultRtasFolder());
        EXPECT_EQ (locations.vst64, "");

        // A format without a row answers false and the empty String.
        EXPECT_FALSE (selector.getVst64Tick());
        EXPECT_EQ (selector.getVst64Location(), "");
    }

    // Uninstall all: the same three rows, unticked, without folders.
    {
        FormatSelector selector (false, nullptr);
        EXPECT_EQ (selector.getBounds(), Rect (0, 0, 480, 136));
        EXPECT_EQ (builtRows (selector), juce::StringArray ({ "RTAS@23", "VST@50", "AU@77" }));
        EXPECT_EQ (group (selector, "Format Selection")->getBounds(), Rect (12, 4, 456, 108));
        EXPECT_EQ (group (selector, "Format Selection")->getText(), "Uninstall");
        EXPECT_EQ (group (selector, "new group"), nullptr);
        EXPECT_EQ (locationEditor (selector, "VST"), nullptr);
        EXPECT_EQ (selector.getVstLocation(), "");

        bool rtas = true, vst = true, vst64 = true, au = true;
        selector.getSelectedFormats (rtas, vst, vst64, au);
        EXPECT_FALSE (rtas || vst || vst64 || au);
    }

    // One product at its latest version in both formats: nothing to offer.
    {
        FormatSelector selector (true, findProduct ("Current"));
        EXPECT_EQ (selector.getBounds(), Rect (0, 0, 480, 55));
        EXPECT_TRUE (builtRows (selector).isEmpty());
        EXPECT_EQ (group (selector, "Format Selection")->getBounds(), Rect (12, 4, 104, 32));
        EXPECT_EQ (group (selector, "new group")->getBounds(), Rect (120, 4, 352, 32));
    }

    // Removing a product with only its AU installed: one row, at the top.
    {
        FormatSelector selector (false, findProduct ("AuOnly"));
        EXPECT_EQ (selector.getBounds(), Rect (0, 0, 480, 82));
        EXPECT_EQ (builtRows (selector), juce::StringArray ({ "AU@23" }));
        EXPECT_EQ (group (selector, "Format Selection")->getBounds(), Rect (12, 4, 456, 54));
        EXPECT_EQ (tick (selector, "AU")->getExplicitFocusOrder(), 2);
    }

    // An installed format with an update shows its found folder, greyed and ticked; a missing
    // one shows the catalogue's folder, enabled.
    {
        FormatSelector selector (true, findProduct ("Older"));
        EXPECT_EQ (selector.getBounds(), Rect (0, 0, 480, 109));
        EXPECT_EQ (builtRows (selector), juce::StringArray ({ "VST@23", "AU@50" }));
        EXPECT_FALSE (tick (selector, "VST")->isEnabled());
        EXPECT_FALSE (locationButton (selector, "VST")->isEnabled());
        EXPECT_TRUE (selector.getVstTick());
        EXPECT_EQ (selector.getVstLocation(), getDefaultVstFolder());
        EXPECT_TRUE (tick (selector, "AU")->isEnabled());
        EXPECT_FALSE (selector.getAuTick());
        EXPECT_EQ (selector.getAuLocation(), getDefaultAuFolder());
        EXPECT_FALSE (selector.getRtasTick());
    }
}

TEST_F (FormatSelectorTest, LastTicksSeedLaterSingleProductPanelsButNeverAGreyedRow)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT();

    installVst ("Newer", "1.5");
    installAu ("Both", "1.0");
    useProducts (product (1, "Missing", "1.0") + product (2, "Newer", "1.2") + product (3, "Both", "1.0"));
    installVst ("Both", "1.0");
    useProducts (product (1, "Missing", "1.0") + product (2, "Newer", "1.2") + product (3, "Both", "1.0"));

    {
        FormatSelector first (true, findProduct ("Missing"));
        EXPECT_FALSE (first.getVstTick());
        tick (first, "VST")->triggerClick();
        TestEnvironment::runUntil ([&]
                                   { return FormatSelector::getRememberedTick ("VST"); });
        EXPECT_TRUE (first.getVstTick());
    }

    EXPECT_TRUE (FormatSelector::getRememberedTick ("VST"));
    EXPECT_FALSE (FormatSelector::getRememberedTick ("AU"));

    // A later single-product panel starts with VST ticked.
    {
        FormatSelector later (true, findProduct ("Missing"));
        EXPECT_TRUE (later.getVstTick());
        EXPECT_FALSE (later.getAuTick());
    }

    // The installed VST copy is newer than the catalogue's: greyed and unticked, so no
    // downgrade is forced, whatever was ticked before.
    {
        FormatSelector newer (true, findProduct ("Newer"));
        EXPECT_FALSE (tick (newer, "VST")->isEnabled());
        EXPECT_FALSE (newer.getVstTick());
    }

    // Removing one product starts from the last ticks too; removing all starts unticked and
    // installing all starts ticked.
    {
        FormatSelector removeOne (false, findProduct ("Both"));
        EXPECT_TRUE (removeOne.getVstTick());
        EXPECT_FALSE (removeOne.getAuTick());

        FormatSelector removeAll (false, nullptr);
        EXPECT_FALSE (removeAll.getVstTick());

        tick (removeAll, "VST")->triggerClick();
        tick (removeAll, "VST")->triggerClick();
        TestEnvironment::runUntil ([&]
                                   { return ! FormatSelector::getRememberedTick ("VST"); });
        EXPECT_FALSE (FormatSelector::getRememberedTick ("VST")) << "any layout's tick is remembered";

        FormatSelector installAll (true, nullptr);
        EXPECT_TRUE (installAll.getVstTick() && installAll.getAuTick() && installAll.getRtasTick());
    }
}

TEST_F (FormatSelectorTest, ChosenFolderIsStoredAndKeptAfterTheDialogsCancel)
{
    QUORVELAN_RUN_IN_PRIVATE_ROOT();

    useProducts (product (1, "Missing", "1.0"));
    auto& catalogue = ProductCatalogue::getInstance();

    struct Call
    {
        juce::String title, root, start;
        bool dialogAside;
    };

    std::vector<Call> calls;
    juce::String answer = "/Library/Chosen VST";
    juce::Component* dialog = nullptr;

    auto savedChooser = FormatSelector::chooseFolder;
    FormatSelector::chooseFolder = [&] (const juce::String& title, const juce::String& root, const juce::String& start)
    {
        calls.push_back ({ title, root, start, ! dialog->isVisible() && ! dialog->isCurrentlyModal() });
        return answer;
    };

    FormatSelector selector (true, findProduct ("Missing"));
    PluginManagerAlertWindow window ("Install/Update software", "Select formats", juce::MessageBoxIconType::NoIcon);
    window.addCustomComponent (&selector);
    window.addButton ("Install", 0);
    window.addButton ("Cancel", 1);
    dialog = &window;

    bool stillModalAfterChoice = false;
    juce::String fieldAfterChoice, fieldAfterEmptyChoice;
    ModalDriver driver;
    driver.whenModalAppears ([&] (juce::Component& modal)
                             {
        dynamic_cast<juce::Button*> (locationButton (selector, "VST"))->triggerClick();
        TestEnvironment::runUntil ([&] { return ! calls.empty(); });
        fieldAfterChoice = selector.getVstLocation();

        // A chooser that picks nothing changes nothing.
        answer = {};
        dynamic_cast<juce::Button*> (locationButton (selector, "VST"))->triggerClick();
        TestEnvironment::runUntil ([&] { return calls.size() == 2; });
        fieldAfterEmptyChoice = selector.getVstLocation();
        stillModalAfterChoice = modal.isCurrentlyModal() && modal.isShowing();
        ModalDriver::pressButton (modal, "Cancel"); });

    EXPECT_EQ (window.runModalLoop(), 1);
    FormatSelector::chooseFolder = savedChooser;

    ASSERT_EQ (calls.size(), 2u);
    EXPECT_EQ (calls[0].title, "Select a subdirectory in which to install the VST plug-in(s)");
    EXPECT_EQ (calls[0].root, getDefaultVstFolder());
    EXPECT_EQ (calls[0].start, getDefaultVstFolder());
    EXPECT_EQ (calls[1].start, "/Library/Chosen VST/");
    EXPECT_TRUE (calls[0].dialogAside) << "hidden and not modal while the chooser runs";

    EXPECT_EQ (fieldAfterChoice, "/Library/Chosen VST/");
    EXPECT_EQ (fieldAfterEmptyChoice, "/Library/Chosen VST/");
    EXPECT_TRUE (stillModalAfterChoice);
    EXPECT_EQ (catalogue.getVstInstallFolder(), "/Library/Chosen VST/") << "kept after the dialog's cancel";
    EXPECT_EQ (catalogue.getAuInstallFolder(), getDefaultAuFolder());
}
