#include <gtest/gtest.h>

#include "localisation/Languages.h"
#include "support/DrawnText.h"
#include "ui/screens/ForgottenPasswordComponent.h"
#include "ui/screens/LoginComponent.h"
#include "ui/screens/OfflineComponent.h"
#include "ui/screens/SRegisterComponent.h"
#include "ui/screens/SRegisterComponent2.h"
#include "ui/widgets/BulkButtonBar.h"
#include "ui/widgets/PicAndTextButton.h"
#include "ui/widgets/ProgramLookAndFeel.h"

#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

// Captions are one line in a box of fixed size: in either language each must fit that box at the
// font its widget draws with, or the widget cuts it ("Actualizar t..."), wraps it in smaller type
// or squeezes it. What each widget draws is recorded glyph by glyph as its paint code runs.
namespace
{
struct Caption
{
    juce::String text;
    juce::String problem; // empty when the caption is drawn whole, on one line, at its font
};

// A fitted line squeezed by a few percent looks no different (the English remember toggle is
// drawn at 96 % of its width); a wider squeeze is seen.
constexpr float unseenSqueeze = 0.95f;

// What the glyphs, drawn for the text, show of it: the whole text on one line, at the height and
// scale it is drawn at when it has all the room it needs.
juce::String judge (const std::vector<DrawnText::Glyph>& drawn, const std::vector<DrawnText::Glyph>& roomy)
{
    if (drawn.empty() || roomy.empty())
        return "nothing drawn";

    juce::Array<int> drawnNumbers, roomyNumbers;
    for (auto& glyph : drawn)
        drawnNumbers.add (glyph.number);
    for (auto& glyph : roomy)
        roomyNumbers.add (glyph.number);

    if (drawnNumbers != roomyNumbers)
        return "cut: " + juce::String (drawn.size()) + " glyphs drawn of " + juce::String (roomy.size());

    if (DrawnText::countLines (drawn) != 1)
        return "wrapped onto " + juce::String (DrawnText::countLines (drawn)) + " lines";

    if (std::abs (drawn.front().font.getHeight() - roomy.front().font.getHeight()) > 0.01f)
        return "drawn at " + juce::String (drawn.front().font.getHeight()) + " high instead of "
               + juce::String (roomy.front().font.getHeight());

    if (DrawnText::narrowestScale (drawn) < unseenSqueeze * DrawnText::narrowestScale (roomy))
        return "squeezed to " + juce::String (DrawnText::narrowestScale (drawn), 2);

    return {};
}

// A widget's caption as drawn at the widget's size, against the same widget widened until its
// caption has room to spare.
Caption widgetCaption (juce::Component& widget, const juce::String& text)
{
    const auto drawn = DrawnText::of (widget).glyphs();
    const auto bounds = widget.getBounds();
    widget.setSize (bounds.getWidth() * 4 + 400, bounds.getHeight());
    const auto roomy = DrawnText::of (widget).glyphs();
    widget.setBounds (bounds);
    return { text, judge (drawn, roomy) };
}

Caption buttonCaption (juce::Button& button)
{
    return widgetCaption (button, button.getButtonText());
}

Caption labelCaption (juce::Label& label)
{
    return widgetCaption (label, label.getText());
}

// PicAndTextButton::paintButton, normal and pressed, with the font and box the button exposes.
Caption barCaption (juce::Button& button, bool pressed)
{
    auto text = button.getButtonText();
    auto width = PicAndTextButton::getCaptionFont (pressed).getStringWidthFloat (text);
    auto room = (float) PicAndTextButton::getCaptionArea (pressed).getWidth();
    return { text, width <= room ? juce::String() : "needs " + juce::String (width) + " pixels, has " + juce::String (room) };
}

// The labels of the page whose box holds one line of their font.
std::vector<juce::Label*> oneLineLabels (juce::Component& page)
{
    std::vector<juce::Label*> labels;

    for (auto* child : page.getChildren())
        if (auto* label = dynamic_cast<juce::Label*> (child))
            if (label->getHeight() < 2.0f * label->getLookAndFeel().getLabelFont (*label).getHeight())
                labels.push_back (label);

    return labels;
}

// The title of a prompt made as the update check makes it: drawn whole on one line in the
// title's font.
Caption alertTitle (const char* titleKey, const char* messageKey, const char* secondButtonKey)
{
    const auto title = TRANS (titleKey);
    std::unique_ptr<juce::AlertWindow> window (juce::LookAndFeel::getDefaultLookAndFeel().createAlertWindow (
        title, TRANS (messageKey), TRANS ("BUT_INSTALL"), TRANS (secondButtonKey), {}, juce::MessageBoxIconType::InfoIcon, 2, nullptr));

    const auto titleFont = window->getLookAndFeel().getAlertWindowTitleFont();
    const auto drawn = DrawnText::of (*window).glyphsIn (titleFont);

    // The title's glyphs as the font lays it out; spaces are laid out but not drawn.
    juce::Array<int> numbers;
    juce::Array<float> offsets;
    titleFont.getGlyphPositions (title, numbers, offsets);
    std::vector<DrawnText::Glyph> expected;

    for (int i = 0; i < numbers.size(); ++i)
        if (! juce::CharacterFunctions::isWhitespace (title[i]))
            expected.push_back ({ numbers[i], titleFont, {} });

    return { title, judge (drawn, expected) };
}
} // namespace

TEST (Captions, FitTheirBoxesInBothLanguages)
{
    // Drawn as the program draws them, with its default look-and-feel.
    ProgramLookAndFeel lookAndFeel;
    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);

    for (int language = 0; language < numLanguages; ++language)
    {
        setLanguage (language);
        SCOPED_TRACE (languageNames[language]);

        juce::Component screen;
        BulkButtonBar bar;
        bar.createButtons (&screen, nullptr);
        bar.layoutButtons();

        LoginComponent login;
        ForgottenPasswordComponent forgotten;
        OfflineComponent offline;
        SRegisterComponent accountPage;
        SRegisterComponent2 personalPage;

        for (auto* page : std::initializer_list<juce::Component*>{ &login, &forgotten, &offline, &accountPage, &personalPage })
            page->setBounds (0, 0, 785, 480);

        std::vector<std::pair<juce::String, Caption>> captions = {
            { "install all", barCaption (*bar.getButton (3), false) },
            { "install all, pressed", barCaption (*bar.getButton (3), true) },
            { "update all", barCaption (*bar.getButton (4), false) },
            { "update all, pressed", barCaption (*bar.getButton (4), true) },
            { "uninstall all", barCaption (*bar.getButton (5), false) },
            { "uninstall all, pressed", barCaption (*bar.getButton (5), true) },
            { "remember toggle", buttonCaption (login.getRememberToggle()) },
            { "forgotten-password link", buttonCaption (login.getForgottenPasswordButton()) },
            { "login button", buttonCaption (login.getLoginButton()) },
            { "reset-password button", buttonCaption (forgotten.getRequestButton()) },
            { "retry button", buttonCaption (offline.getRetryButton()) },
            { "continue-offline button", buttonCaption (offline.getContinueButton()) },
            { "optional update prompt", alertTitle ("MSG_PLUGIN_MANAGER_UPDATE_AVAILABLE", "MSG_PLUGIN_MANAGER_UPDATE_AVAILABLE_TEXT", "BUT_SKIP") },
            { "required update prompt", alertTitle ("MSG_PLUGIN_MANAGER_UPDATE_REQUIRED", "MSG_PLUGIN_MANAGER_UPDATE_REQUIRED_TEXT", "BUT_EXIT") },
        };

        for (auto* page : std::initializer_list<juce::Component*>{ &login, &forgotten, &accountPage, &personalPage })
            for (auto* label : oneLineLabels (*page))
                captions.push_back ({ label->getName(), labelCaption (*label) });

        for (auto& [where, caption] : captions)
        {
            EXPECT_TRUE (caption.text.isNotEmpty()) << where;
            EXPECT_TRUE (caption.problem.isEmpty()) << where << ": \"" << caption.text << "\" " << caption.problem;
        }
    }

    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    setLanguage (0);
}
