#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "localisation/Languages.h"
#include "support/ModalDriver.h"
#include "support/TestEnvironment.h"
#include "ui/widgets/BulkButtonBar.h"
#include "ui/widgets/PluginManagerAlertWindow.h"
#include "ui/widgets/ProgramFonts.h"
#include "ui/widgets/RoundComboBox.h"
#include "ui/widgets/RoundTextEditor.h"

using namespace WidgetTestSupport;

namespace
{
const juce::Colour steelBlue (0xff4682b4);

struct ClickRecorder final : public juce::Button::Listener
{
    void buttonClicked (juce::Button* button) override { clicked.add (button); }
    juce::Array<juce::Button*> clicked;
};

// Saves the default look-and-feel's combo-box and editor colours and puts them back.
struct ScopedComboColours final : public ScopedDefaultColours
{
    ScopedComboColours()
        : ScopedDefaultColours ({ juce::ComboBox::backgroundColourId, juce::ComboBox::textColourId,
                                  juce::ComboBox::outlineColourId, juce::ComboBox::arrowColourId,
                                  juce::TextEditor::backgroundColourId, juce::TextEditor::outlineColourId })
    {
    }
};

juce::Label* findLabel (juce::Component& parent)
{
    for (auto* child : parent.getChildren())
        if (auto* label = dynamic_cast<juce::Label*> (child))
            return label;

    return nullptr;
}
} // namespace

//==============================================================================
TEST (BulkButtonBar, CreatesSixDisabledButtonsInIndexOrder)
{
    setLanguage (0);
    juce::Component screen;
    ClickRecorder listener;
    BulkButtonBar bar;

    for (int i = -1; i <= 6; ++i)
        EXPECT_EQ (bar.getButton (i), nullptr);

    bar.createButtons (&screen, &listener);

    ASSERT_EQ (screen.getNumChildComponents(), 6);
    EXPECT_NE (dynamic_cast<GoBackButton*> (screen.getChildComponent (0)), nullptr);
    EXPECT_NE (dynamic_cast<GoNextButton*> (screen.getChildComponent (1)), nullptr);
    EXPECT_NE (dynamic_cast<GoCloseButton*> (screen.getChildComponent (2)), nullptr);

    const char* captions[] = { "", "", "", "Install All", "Update All", "Uninstall All" };

    for (int i = 0; i < 6; ++i)
    {
        auto* button = bar.getButton (i);
        EXPECT_EQ (screen.getChildComponent (i), button) << i;
        EXPECT_FALSE (button->isEnabled()) << i;
        EXPECT_TRUE (button->isVisible()) << i;
        EXPECT_EQ (button->getButtonText(), captions[i]) << i;
        EXPECT_EQ (bar.indexOfButton (button), i);
    }

    // The screen hears the clicks.
    bar.getButton (4)->setEnabled (true);
    bar.getButton (4)->triggerClick();
    ASSERT_TRUE (TestEnvironment::runUntil ([&]
                                            { return listener.clicked.size() == 1; }));
    EXPECT_EQ (listener.clicked[0], bar.getButton (4));

    // Captions in the language of the moment.
    setLanguage (1);
    juce::Component spanishScreen;
    BulkButtonBar spanish;
    spanish.createButtons (&spanishScreen, nullptr);
    setLanguage (0);
    EXPECT_EQ (spanish.getButton (3)->getButtonText(), "Instalar todo");
    EXPECT_EQ (spanish.getButton (5)->getButtonText(), "Desinstalar");

    // Deleting takes them out of the screen.
    bar.deleteButtons();
    EXPECT_EQ (screen.getNumChildComponents(), 0);
    EXPECT_EQ (bar.getButton (0), nullptr);
    bar.deleteButtons();
    bar.setButtonStates (1, 1, 1, 1, 1, 1);
    bar.layoutButtons();
}

TEST (BulkButtonBar, StateCodesShowHideEnableAndDisable)
{
    struct Case
    {
        const char* label;
        int codes[6];
        bool enabled[6];
        bool visible[6];
    };

    // 1 shown and enabled, 2 hidden (and disabled), anything else shown and disabled.
    const Case cases[] = {
        { "login page", { 1, 2, 1, 2, 2, 2 }, { 1, 0, 1, 0, 0, 0 }, { 1, 0, 1, 0, 0, 0 } },
        { "registration", { 1, 1, 2, 2, 2, 2 }, { 1, 1, 0, 0, 0, 0 }, { 1, 1, 0, 0, 0, 0 } },
        { "status refresh", { 1, 2, 1, 1, 0, 1 }, { 1, 0, 1, 1, 0, 1 }, { 1, 0, 1, 1, 1, 1 } },
        { "hidden again", { 2, 2, 2, 2, 2, 2 }, { 0, 0, 0, 0, 0, 0 }, { 0, 0, 0, 0, 0, 0 } },
        { "back from hiding", { 0, 1, 0, 1, 0, 1 }, { 0, 1, 0, 1, 0, 1 }, { 1, 1, 1, 1, 1, 1 } },
        { "other codes", { 3, -1, 7, 100, -2, 0 }, { 0, 0, 0, 0, 0, 0 }, { 1, 1, 1, 1, 1, 1 } },
    };

    juce::Component screen;
    BulkButtonBar bar;
    bar.createButtons (&screen, nullptr);

    // Applied one after the other, as a screen does on every refresh.
    for (auto& c : cases)
    {
        bar.setButtonStates (c.codes[0], c.codes[1], c.codes[2], c.codes[3], c.codes[4], c.codes[5]);

        for (int i = 0; i < 6; ++i)
        {
            EXPECT_EQ (bar.getButton (i)->isEnabled(), c.enabled[i]) << c.label << " button " << i;
            EXPECT_EQ (bar.getButton (i)->isVisible(), c.visible[i]) << c.label << " button " << i;
        }
    }
}

TEST (BulkButtonBar, FixedPlacesAndIndexOfForeignButtons)
{
    juce::Component screen;
    screen.setSize (785, 480);
    BulkButtonBar bar;
    bar.createButtons (&screen, nullptr);
    bar.layoutButtons();

    const juce::Rectangle<int> places[] = {
        { 18, 435, 34, 34 },
        { 739, 435, 34, 34 },
        { 739, 435, 34, 34 },
        { 82, 433, 134, 30 },
        { 227, 433, 134, 30 },
        { 371, 433, 134, 30 }
    };

    for (int i = 0; i < 6; ++i)
        EXPECT_EQ (bar.getButton (i)->getBounds(), places[i]) << i;

    // Anything that is not one of the six answers 0, the back button's index.
    juce::TextButton foreign ("foreign");
    BulkButtonBar other;
    juce::Component otherScreen;
    other.createButtons (&otherScreen, nullptr);

    EXPECT_EQ (bar.indexOfButton (&foreign), 0);
    EXPECT_EQ (bar.indexOfButton (nullptr), 0);
    EXPECT_EQ (bar.indexOfButton (other.getButton (5)), 0);
    EXPECT_EQ (bar.indexOfButton (bar.getButton (5)), 5);
}

//==============================================================================
TEST (RoundTextEditor, ColoursFontAndBodyColour)
{
    RoundTextEditor editor ("email");
    EXPECT_EQ (editor.getName(), "email");
    EXPECT_FALSE (editor.isOpaque());
    EXPECT_EQ (editor.getPasswordCharacter(), 0);
    EXPECT_EQ (editor.getFillColour(), juce::Colour (0xffffffff));

    auto& lf = editor.getLookAndFeel();
    EXPECT_NE (dynamic_cast<RoundTextEditorLookAndFeel*> (&lf), nullptr);
    EXPECT_NE (&lf, &juce::LookAndFeel::getDefaultLookAndFeel());

    struct Expected
    {
        int id;
        juce::uint32 argb;
    };

    const Expected colours[] = {
        { juce::TextEditor::backgroundColourId, 0x00ffffff },
        { juce::TextEditor::textColourId, 0xff000000 },
        { juce::TextEditor::highlightColourId, 0xff4682b4 },
        { juce::TextEditor::highlightedTextColourId, 0xff000000 },
        { juce::TextEditor::outlineColourId, 0x00ffffff },
        { juce::TextEditor::focusedOutlineColourId, 0x00ffffff },
        { juce::TextEditor::shadowColourId, 0x00ffffff },
    };

    for (auto& c : colours)
        EXPECT_EQ (editor.findColour (c.id).getARGB(), c.argb) << std::hex << c.id;

    juce::LookAndFeel_V4 framework;
    EXPECT_EQ (editor.findColour (juce::CaretComponent::caretColourId), framework.findColour (juce::CaretComponent::caretColourId));

    auto font = editor.getFont();
    EXPECT_EQ (font.getHeight(), 16.0f);
    EXPECT_FALSE (font.isBold());
    EXPECT_FALSE (font.isItalic());
    EXPECT_EQ (font.getTypefaceName(), ProgramFonts::getFont ("Arial", 16.0f, juce::Font::plain).getTypefaceName());

    // The background colour goes to the body only; other colours to the component.
    editor.setColour (juce::TextEditor::backgroundColourId, juce::Colours::red);
    EXPECT_EQ (editor.getFillColour(), juce::Colours::red);
    EXPECT_FALSE (editor.isColourSpecified (juce::TextEditor::backgroundColourId));
    EXPECT_EQ (editor.findColour (juce::TextEditor::backgroundColourId).getARGB(), 0x00ffffffu);

    editor.setColour (juce::TextEditor::textColourId, juce::Colours::green);
    EXPECT_TRUE (editor.isColourSpecified (juce::TextEditor::textColourId));
    EXPECT_EQ (editor.findColour (juce::TextEditor::textColourId), juce::Colours::green);
}

TEST (RoundTextEditor, RoundedBodyAndFocusRing)
{
    auto body = [] (juce::Colour fill)
    {
        return draw (200, 24, [fill] (juce::Graphics& g)
                     {
            g.setColour (fill);
            g.fillRoundedRectangle (0.0f, 0.0f, 200.0f, 24.0f, 12.0f); });
    };

    auto ring = draw (200, 24, [] (juce::Graphics& g)
                      {
        g.setColour (steelBlue);
        g.fillRoundedRectangle (0.0f, 0.0f, 200.0f, 24.0f, 12.0f);
        g.setColour (juce::Colours::white);
        g.fillRoundedRectangle (2.0f, 2.0f, 196.0f, 20.0f, 12.0f); });

    // Right of the caret, the editor draws nothing but its body.
    const juce::Rectangle<int> clear (40, 0, 160, 24);

    auto editor = std::make_unique<RoundTextEditor> ("name");
    editor->setSize (200, 24);

    auto unfocused = render (*editor);
    EXPECT_LE (maxDifferenceIn (unfocused, body (juce::Colours::white), clear), 1);
    EXPECT_EQ (unfocused.getPixelAt (0, 0).getAlpha(), 0) << "rounded corners";
    EXPECT_EQ (unfocused.getPixelAt (100, 12), juce::Colour (0xffffffff));

    // A new body colour shows at the next paint.
    editor->setColour (juce::TextEditor::backgroundColourId, juce::Colours::lightyellow);
    EXPECT_LE (maxDifferenceIn (render (*editor), body (juce::Colours::lightyellow), clear), 1);
    editor->setColour (juce::TextEditor::backgroundColourId, juce::Colours::white);

    FocusWindow window;
    ASSERT_TRUE (window.focus (*editor));

    auto focused = render (*editor);
    EXPECT_LE (maxDifferenceIn (focused, ring, clear), 1);
    EXPECT_EQ (focused.getPixelAt (100, 0), steelBlue);
    EXPECT_EQ (focused.getPixelAt (100, 1), steelBlue);
    EXPECT_EQ (focused.getPixelAt (100, 2), juce::Colour (0xffffffff));
    EXPECT_EQ (focused.getPixelAt (100, 21), juce::Colour (0xffffffff));
    EXPECT_EQ (focused.getPixelAt (100, 23), steelBlue);
    EXPECT_EQ (focused.getPixelAt (198, 12), steelBlue);
    EXPECT_EQ (focused.getPixelAt (1, 12), steelBlue);

    // Typed text is black on the body.
    editor->setText ("typed");
    auto typed = render (*editor);
    EXPECT_GT (countPixels (typed, { 0, 2, 60, 20 }, [] (juce::Colour p)
                            { return p.getBrightness() < 0.3f && p.getAlpha() == 255; }),
               10);

    // Destroyed with the focus and its own look: nothing is left pointing at either.
    editor.reset();
    EXPECT_EQ (window.window.getNumChildComponents(), 0);
}

TEST (RoundTextEditor, TextStaysClearOfTheRoundedEnds)
{
    auto isInk = [] (juce::Colour p)
    { return p.getAlpha() > 0 && p.getBrightness() < 0.6f; };

    // The rows holding ink, as a range of y.
    auto inkRows = [&isInk] (const juce::Image& image)
    {
        juce::Range<int> rows;

        for (int y = 0; y < image.getHeight(); ++y)
            if (countPixels (image, { 0, y, image.getWidth(), 1 }, isInk) > 0)
                rows = rows.isEmpty() ? juce::Range<int> (y, y + 1) : rows.getUnionWith ({ y, y + 1 });

        return rows;
    };

    struct Case
    {
        int height;
        juce::Font font;
    };

    // A form's editor, and one an alert window made, in the window's message font.
    const Case cases[] = {
        { 24, RoundTextEditor ("form").getFont() },
        { 22, juce::LookAndFeel::getDefaultLookAndFeel().getAlertWindowMessageFont() },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.height);

        RoundTextEditor editor ("name");
        editor.setFont (c.font);
        editor.setSize (200, c.height);
        editor.setText (juce::String::repeatedString ("Wg", 30));

        // Scrolled to either end, the text stops short of the rounded ends.
        const auto endWidth = c.height / 4;

        for (int caret : { 60, 0 })
        {
            editor.setCaretPosition (caret);
            auto image = render (editor);
            EXPECT_EQ (countPixels (image, { 0, 0, endWidth, c.height }, isInk), 0) << "caret at " << caret;
            EXPECT_EQ (countPixels (image, { 200 - endWidth, 0, endWidth, c.height }, isInk), 0) << "caret at " << caret;
            EXPECT_GT (countPixels (image, { endWidth, 0, 200 - 2 * endWidth, c.height }, isInk), 200);
        }

        // No part of a line is cut off at the top or the bottom.
        editor.setText ("Plug-ins");
        auto shown = inkRows (render (editor));
        auto whole = inkRows (draw (200, 60, [&c] (juce::Graphics& g)
                                    {
            g.fillAll (juce::Colours::white);
            g.setColour (juce::Colours::black);
            g.setFont (c.font);
            g.drawSingleLineText ("Plug-ins", 10, 30); }));

        EXPECT_EQ (shown.getLength(), whole.getLength()) << "shown rows " << shown.getStart() << " to " << shown.getEnd();
        EXPECT_GT (shown.getStart(), 0);
        EXPECT_LT (shown.getEnd(), c.height);
    }
}

TEST (RoundTextEditor, OwnLookIsReleasedWithTheEditorAndNotUsedAfter)
{
    // A look-and-feel deleted while a component still uses it, and most misuse of a dying
    // component, is reported by a debug assertion on the error stream.
    ScopedErrorCapture errors;

    {
        FocusWindow window;
        auto editor = std::make_unique<RoundTextEditor> ("name");
        editor->setSize (200, 24);
        editor->setText ("typed");
        EXPECT_TRUE (window.focus (*editor));
        render (*editor);

        // Destroyed while focused and shown, with change messages still on their way.
        editor->insertTextAtCaret ("more");
        editor.reset();
        TestEnvironment::runFor (50);
    }

    {
        PluginManagerAlertWindow alert ("New folder", "Type a name", juce::MessageBoxIconType::NoIcon);
        alert.addTextEditor ("folder", "Plug-ins", "Name:");
        alert.addButton ("OK", 1);
        alert.addToDesktop();
        alert.setVisible (true);

        auto* editor = alert.getTextEditor ("folder");
        takeKeyboardFocus (*editor, 2000);
        editor->insertTextAtCaret ("x");
        alert.createComponentSnapshot (alert.getLocalBounds());
    }

    TestEnvironment::runFor (50);
    auto output = errors.finish();
    EXPECT_FALSE (output.contains ("JUCE Assertion failure")) << output;
}

//==============================================================================
TEST (RoundComboBox, SetsTheProgramWideComboColours)
{
    ScopedComboColours restore;
    auto& lf = juce::LookAndFeel::getDefaultLookAndFeel();

    struct Case
    {
        juce::Colour editorBackground, comboBackground;
    };

    // Black text on the editors' background when it can be read there, else on white.
    const Case cases[] = {
        { juce::Colours::white, juce::Colours::white },
        { juce::Colours::lightyellow, juce::Colours::lightyellow },
        { juce::Colour (0xffd3d3d3), juce::Colour (0xffd3d3d3) },
        { juce::Colours::black, juce::Colours::white },
        { juce::Colour (0xff263238), juce::Colours::white },
        { juce::Colours::transparentWhite, juce::Colours::white },
        { juce::Colours::white.withAlpha (0.5f), juce::Colours::white },
    };

    for (auto& c : cases)
    {
        lf.setColour (juce::TextEditor::backgroundColourId, c.editorBackground);
        lf.setColour (juce::TextEditor::outlineColourId, juce::Colours::orange);
        lf.setColour (juce::ComboBox::textColourId, juce::Colours::red);

        RoundComboBox combo ("language");
        EXPECT_EQ (combo.getName(), "language");
        EXPECT_EQ (lf.findColour (juce::ComboBox::backgroundColourId), c.comboBackground) << c.editorBackground.toString();
        EXPECT_EQ (lf.findColour (juce::ComboBox::textColourId), juce::Colours::black);
        EXPECT_EQ (lf.findColour (juce::ComboBox::arrowColourId), juce::Colours::black);
        EXPECT_EQ (lf.findColour (juce::ComboBox::outlineColourId), juce::Colours::orange);

        // Its own text takes the colour at once.
        auto* label = findLabel (combo);
        ASSERT_NE (label, nullptr);
        EXPECT_EQ (label->findColour (juce::Label::textColourId), juce::Colours::black);
    }

    // The change is program-wide and stays.
    juce::ComboBox plain ("plain");
    EXPECT_EQ (plain.findColour (juce::ComboBox::textColourId), juce::Colours::black);
    EXPECT_EQ (plain.findColour (juce::ComboBox::backgroundColourId), juce::Colours::white);

    // Readable: the text of a selected item is dark on a light box.
    RoundComboBox shown ("countries");
    shown.addItem ("Spain", 1);
    shown.setSelectedId (1, juce::dontSendNotification);
    shown.setSize (157, 23);
    auto image = render (shown);
    EXPECT_GT (countPixels (image, { 4, 4, 60, 15 }, [] (juce::Colour p)
                            { return p.getPerceivedBrightness() < 0.3f; }),
               10);
    EXPECT_GT (image.getPixelAt (100, 11).getPerceivedBrightness(), 0.8f);
}

TEST (RoundComboBox, KeepsTheKeyboardFocusAndShowsItsFrame)
{
    ScopedComboColours restore;
    RoundComboBox combo ("countries");
    combo.addItem ("--Select--", 1);
    combo.addItem ("Other", 2);
    combo.setSelectedItemIndex (0, juce::dontSendNotification);
    combo.setSize (157, 23);

    combo.setEditableText (true);
    auto* label = findLabel (combo);
    ASSERT_NE (label, nullptr);
    EXPECT_TRUE (label->isEditableOnSingleClick());
    EXPECT_TRUE (label->isEditableOnDoubleClick());
    EXPECT_TRUE (combo.getWantsKeyboardFocus()) << "unlike the framework's editable combo box";

    combo.setEditableText (false);
    EXPECT_FALSE (label->isEditableOnSingleClick());
    EXPECT_FALSE (label->isEditableOnDoubleClick());
    EXPECT_TRUE (combo.getWantsKeyboardFocus());

    auto isSteelBlue = [] (juce::Colour p)
    { return p == steelBlue; };
    auto unfocused = render (combo);
    EXPECT_EQ (countPixels (unfocused, unfocused.getBounds(), isSteelBlue), 0);

    FocusWindow window;
    ASSERT_TRUE (window.focus (combo));
    auto focused = render (combo);

    // A plain 2-pixel frame, corners included.
    for (auto p : { juce::Point<int> (0, 0), { 1, 1 }, { 156, 22 }, { 155, 21 }, { 0, 11 }, { 1, 11 }, { 156, 11 }, { 78, 0 }, { 78, 22 } })
        EXPECT_EQ (focused.getPixelAt (p.x, p.y), steelBlue) << p.toString();

    EXPECT_NE (focused.getPixelAt (2, 11), steelBlue);
    window.window.removeChildComponent (&combo);
}

//==============================================================================
TEST (PluginManagerAlertWindow, RoundEditorsAreLaidOutAndLabelledLikeTheFrameworks)
{
    setLanguage (0);

    juce::AlertWindow plain ("New folder", "Type a name", juce::MessageBoxIconType::NoIcon, nullptr);
    plain.addTextEditor ("folder", "Plug-ins", "Name:");
    plain.addTextEditor ("second", "", "");
    plain.addButton ("OK", 1);

    PluginManagerAlertWindow window ("New folder", "Type a name", juce::MessageBoxIconType::NoIcon);
    window.addTextEditor ("folder", "Plug-ins", "Name:");
    window.addTextEditor ("second", "", "");
    window.addButton ("OK", 1);

    EXPECT_EQ (window.getBounds().getWidth(), plain.getBounds().getWidth());
    EXPECT_EQ (window.getBounds().getHeight(), plain.getBounds().getHeight());

    for (auto* name : { "folder", "second" })
    {
        SCOPED_TRACE (name);
        auto* editor = dynamic_cast<RoundTextEditor*> (window.getTextEditor (name));
        ASSERT_NE (editor, nullptr);
        EXPECT_EQ (editor->getParentComponent(), &window);
        EXPECT_TRUE (editor->isVisible());
        EXPECT_EQ (editor->getBounds(), plain.getTextEditor (name)->getBounds());
        EXPECT_EQ (editor->findColour (juce::TextEditor::outlineColourId), window.findColour (juce::ComboBox::outlineColourId));
        EXPECT_EQ (editor->getFont().getHeight(), window.getLookAndFeel().getAlertWindowMessageFont().getHeight());
        EXPECT_EQ (editor->getPasswordCharacter(), 0);
    }

    auto* folder = window.getTextEditor ("folder");
    EXPECT_EQ (folder->getText(), "Plug-ins");
    EXPECT_EQ (folder->getCaretPosition(), 8);
    EXPECT_EQ (window.getTextEditorContents ("folder"), "Plug-ins");

    // The only text editors that show are the rounded ones.
    int shownPlainEditors = 0;
    for (auto* child : window.getChildren())
        if (dynamic_cast<juce::TextEditor*> (child) != nullptr && dynamic_cast<RoundTextEditor*> (child) == nullptr)
            shownPlainEditors += child->isVisible() ? 1 : 0;

    EXPECT_EQ (shownPlainEditors, 0);

    // The label above the first editor is painted as for the framework's.
    auto labelArea = folder->getBounds().withY (folder->getY() - 14).withHeight (14);
    auto ours = window.createComponentSnapshot (labelArea);
    auto theirs = plain.createComponentSnapshot (labelArea);
    EXPECT_LE (maxDifference (ours, theirs), 1);
    EXPECT_GT (countPixels (ours, ours.getBounds(), [&] (juce::Colour p)
                            { return p != ours.getPixelAt (ours.getWidth() - 1, 0); }),
               10);

    // Unknown names.
    EXPECT_EQ (window.getTextEditor ("nothing"), nullptr);
    EXPECT_EQ (window.getTextEditorContents ("nothing"), "");
}

TEST (PluginManagerAlertWindow, TypedTextIsReadBackAfterTheModalLoop)
{
    setLanguage (0);
    ModalDriver driver;

    PluginManagerAlertWindow window ("New folder", "Type a name", juce::MessageBoxIconType::NoIcon);
    window.addTextEditor ("folder", "Plug", "Name:");
    window.addButton ("OK", 1);
    window.addButton ("Cancel", 0);

    bool ringShown = false;
    driver.whenModalAppears ([&] (juce::Component& modal)
                             {
                                 auto* editor = dynamic_cast<RoundTextEditor*> (window.getTextEditor ("folder"));
                                 editor->grabKeyboardFocus();
                                 editor->moveCaretToEnd();
                                 editor->insertTextAtCaret ("-ins");

                                 if (editor->hasKeyboardFocus (true))
                                     ringShown = render (*editor).getPixelAt (editor->getWidth() / 2, 0) == steelBlue;

                                 ModalDriver::pressButton (modal, "OK"); });

    EXPECT_EQ (window.runModalLoop(), 1);
    EXPECT_EQ (driver.getNumPending(), 0);
    EXPECT_EQ (window.getTextEditorContents ("folder"), "Plug-ins");

    // Read through the framework's own functions too.
    juce::AlertWindow& framework = window;
    EXPECT_TRUE (TestEnvironment::runUntil ([&]
                                            { return framework.getTextEditorContents ("folder") == "Plug-ins"; }));
    EXPECT_TRUE (ringShown) << "focused inside the window, with its ring";
}

TEST (PluginManagerAlertWindow, OnlyItsButtonsAnswer)
{
    // Escape would otherwise close the window with 0, the answer of the licence agreement's
    // "Accept".
    PluginManagerAlertWindow window ("Licence", "Please read", juce::MessageBoxIconType::NoIcon);
    window.addButton ("Accept", 0);
    window.addButton ("Cancel", 1);
    window.enterModalState (false);

    juce::Component& component = window;
    EXPECT_FALSE (component.keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_TRUE (window.isCurrentlyModal());

    window.exitModalState (1);
    EXPECT_FALSE (window.isCurrentlyModal());
}

//==============================================================================
TEST (ProgramFonts, MissingTypefacesFallBackToOneThatDrawsText)
{
    auto installed = juce::Font::findAllTypefaceNames();

    struct Case
    {
        const char* name;
        int style;
        bool bold;
    };

    const Case cases[] = {
        { "Arial", juce::Font::plain, false },
        { "Arial", juce::Font::bold, true },
        { "Arial Black", juce::Font::plain, true },
        { "Arial Black", juce::Font::bold, true },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.name) + " " + juce::String (c.style));
        auto font = ProgramFonts::getFont (c.name, 20.0f, c.style);
        EXPECT_EQ (font.getHeight(), 20.0f);

        if (installed.contains (c.name))
        {
            EXPECT_EQ (font.getTypefaceName(), c.name);
            continue;
        }

        EXPECT_TRUE (installed.contains (font.getTypefaceName()) || font.getTypefaceName() == juce::Font::getDefaultSansSerifFontName());
        EXPECT_EQ (font.isBold(), c.bold);

        auto text = draw (200, 30, [&] (juce::Graphics& g)
                          {
            g.setColour (juce::Colours::black);
            g.setFont (font);
            g.drawText ("Install All", 0, 0, 200, 30, juce::Justification::centred, false); });
        EXPECT_GT (countPixels (text, text.getBounds(), [] (juce::Colour p)
                                { return p.getAlpha() > 128; }),
                   50);
    }

    // An installed typeface is used as it is.
    ASSERT_FALSE (installed.isEmpty());
    auto font = ProgramFonts::getFont (installed[0], 12.0f, juce::Font::italic);
    EXPECT_EQ (font.getTypefaceName(), installed[0]);
    EXPECT_TRUE (font.isItalic());
}

TEST (PluginManagerAlertWindow, EveryEndThatNoButtonMadeAnswersAsCancel)
{
    // 0 is the confirm answer ("Accept", "Install", "Uninstall"): only its button may give it.
    struct Case
    {
        const char* how;
        std::function<void (juce::Component&)> end;
        int expected;
    };

    const Case cases[] = {
        { "confirm button", [] (juce::Component& w)
          { ModalDriver::pressButton (w, "Accept"); },
          0 },
        { "cancel button", [] (juce::Component& w)
          { ModalDriver::pressButton (w, "Cancel"); },
          1 },
        { "window manager close", [] (juce::Component& w)
          { w.getPeer()->handleUserClosingWindow(); },
          1 },
        { "loop ended from outside", [] (juce::Component& w)
          { w.exitModalState (0); },
          1 },
        { "hidden", [] (juce::Component& w)
          { w.setVisible (false); },
          1 },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.how);
        PluginManagerAlertWindow window ("Licence", "Please read", juce::MessageBoxIconType::NoIcon);
        window.addButton ("Accept", 0);
        window.addButton ("Cancel", 1);

        ModalDriver driver;
        driver.whenModalAppears ([&c] (juce::Component& modal)
                                 { c.end (modal); });
        EXPECT_EQ (window.runModalLoop(), c.expected);
        EXPECT_EQ (driver.getNumPending(), 0);
    }

    // A window run twice answers by its buttons both times.
    PluginManagerAlertWindow window ("Licence", "Please read", juce::MessageBoxIconType::NoIcon);
    window.addButton ("Accept", 0);
    window.addButton ("Cancel", 1);
    {
        ModalDriver driver;
        driver.pressWhenModalAppears ("Cancel");
        EXPECT_EQ (window.runModalLoop(), 1);
    }

    ModalDriver driver;
    driver.pressWhenModalAppears ("Accept");
    EXPECT_EQ (window.runModalLoop(), 0);
}
