#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "support/ModalDriver.h"
#include "support/TestEnvironment.h"
#include "ui/screens/QuorvelanMainComponent.h"
#include "ui/screens/SRegisterComponent.h"
#include "ui/screens/SRegisterComponent2.h"
#include "ui/screens/ScreenCode.h"
#include "ui/widgets/RoundComboBox.h"
#include "ui/widgets/RoundTextEditor.h"

#include <vector>

namespace RegistrationTestSupport
{
// A child of the page (at any depth) by its component name and type.
template <typename Type>
Type* findNamed (juce::Component& root, const juce::String& name)
{
    for (auto* child : root.getChildren())
    {
        if (child->getName() == name)
            if (auto* found = dynamic_cast<Type*> (child))
                return found;

        if (auto* found = findNamed<Type> (*child, name))
            return found;
    }

    return nullptr;
}

// Every code the registration pages send, in order (heard after the main component acted on it).
struct CodeRecorder final : public juce::ChangeListener
{
    void changeListenerCallback (juce::ChangeBroadcaster* source) override
    {
        if (auto* screen = dynamic_cast<ScreenCodeBroadcaster*> (source))
            codes.push_back ((int) screen->takeScreenCode());
    }

    std::vector<int> codes;
};

// Counts the clicks of a button whose other listeners have all been called.
struct ClickCounter final : public juce::Button::Listener
{
    void buttonClicked (juce::Button*) override { ++clicks; }
    int clicks = 0;
};

// One alert as the customer saw it.
struct SeenAlert
{
    juce::String title, message, buttons;
    juce::Image picture;
};

// The main component in a window of its own on the display, with both registration pages, a
// recorder of their codes, and a driver that answers their alerts.
class RegistrationWindow
{
public:
    RegistrationWindow()
    {
        main = std::make_unique<QuorvelanMainComponent>();
        window.setBounds (20, 20, 785, 480);
        window.addAndMakeVisible (*main);
        window.addToDesktop (juce::ComponentPeer::windowIsTemporary);
        window.setVisible (true);

        for (auto* page : { (ScreenCodeBroadcaster*) main->getRegistrationPage1(), (ScreenCodeBroadcaster*) main->getRegistrationPage2() })
            page->addChangeListener (&recorder);

        page1().getBar().getButton (1)->addListener (&nextClicks);
        page2().getBar().getButton (1)->addListener (&nextClicks);
        settle();
    }

    // Lets the screens the main component shows at start run until none has a code waiting.
    void settle()
    {
        auto isWaiting = [this]
        {
            for (auto* child : main->getChildren())
                if (auto* screen = dynamic_cast<ScreenCodeBroadcaster*> (child))
                    if (screen->isScreenCodePending())
                        return true;

            return false;
        };

        TestEnvironment::runFor (50);
        TestEnvironment::runUntil ([&]
                                   { return ! isWaiting(); },
                                   60000);
    }

    ~RegistrationWindow()
    {
        page1().getBar().getButton (1)->removeListener (&nextClicks);
        page2().getBar().getButton (1)->removeListener (&nextClicks);

        for (auto* page : { (ScreenCodeBroadcaster*) main->getRegistrationPage1(), (ScreenCodeBroadcaster*) main->getRegistrationPage2() })
            page->removeChangeListener (&recorder);

        window.removeAllChildren();
        main.reset();
    }

    SRegisterComponent& page1() { return *main->getRegistrationPage1(); }
    SRegisterComponent2& page2() { return *main->getRegistrationPage2(); }

    RoundTextEditor& editor (juce::Component& page, const juce::String& name)
    {
        auto* found = findNamed<RoundTextEditor> (page, name);
        jassert (found != nullptr);
        return *found;
    }

    RoundComboBox& countries() { return *findNamed<RoundComboBox> (page2(), "countries"); }

    // Replaces the editor's text as the customer would, typing it at the caret.
    void type (juce::Component& page, const juce::String& name, const juce::String& text)
    {
        auto& target = editor (page, name);
        target.selectAll();
        target.insertTextAtCaret (text);
    }

    void chooseCountry (const juce::String& name)
    {
        auto& box = countries();

        for (int i = 0; i < box.getNumItems(); ++i)
            if (box.getItemText (i) == name)
                box.setSelectedItemIndex (i, juce::sendNotificationSync);
    }

    // Sends a screen code to the main component as a screen would, and waits until it is handled.
    void sendCode (int code)
    {
        main->handleScreenCode ((juce::uint32) code);
        TestEnvironment::runFor (20);
    }

    // Presses the page's next button and waits until its handler has returned; each alert shown
    // meanwhile is noted, pictured when asked, and closed with its one button.
    std::vector<SeenAlert> pressNext (juce::Component& page, bool picture = false)
    {
        std::vector<SeenAlert> alerts;
        auto* button = &page == (juce::Component*) &page1() ? page1().getBar().getButton (1) : page2().getBar().getButton (1);
        const auto before = nextClicks.clicks;

        ModalDriver driver;

        for (int i = 0; i < 4; ++i)
            driver.whenModalAppears ([&alerts, picture] (juce::Component& modal)
                                     {
                SeenAlert seen { ModalDriver::getTitle (modal), ModalDriver::getMessage (modal),
                                 ModalDriver::getButtonTexts (modal).joinIntoString ("|"), {} };

                if (picture)
                    seen.picture = modal.createComponentSnapshot (modal.getLocalBounds());

                alerts.push_back (seen);
                ModalDriver::pressButton (modal, ModalDriver::getButtonTexts (modal)[0]); });

        button->triggerClick();
        TestEnvironment::runUntil ([&]
                                   { return nextClicks.clicks > before; },
                                   60000);
        TestEnvironment::runFor (30);
        return alerts;
    }

    void pressBack (juce::Component& page)
    {
        auto* button = &page == (juce::Component*) &page1() ? page1().getBar().getButton (0) : page2().getBar().getButton (0);
        button->triggerClick();
        TestEnvironment::runUntil ([this, before = recorder.codes.size()]
                                   { return recorder.codes.size() > before; });
    }

    juce::Component window;
    std::unique_ptr<QuorvelanMainComponent> main;
    CodeRecorder recorder;
    ClickCounter nextClicks;
};
} // namespace RegistrationTestSupport
