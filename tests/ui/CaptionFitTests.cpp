#include <gtest/gtest.h>

#include "localisation/Languages.h"
#include "ui/screens/ForgottenPasswordComponent.h"
#include "ui/screens/LoginComponent.h"
#include "ui/screens/OfflineComponent.h"
#include "ui/screens/SRegisterComponent.h"
#include "ui/screens/SRegisterComponent2.h"
#include "ui/widgets/BulkButtonBar.h"
#include "ui/widgets/PicAndTextButton.h"

#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

// Captions are one line in a box of fixed size: in either language each must fit that box at the
// font its widget draws with, or the widget cuts it ("Actualizar t..."), wraps it in smaller type
// or squeezes it.
namespace
{
struct Caption
{
    juce::String text;
    float width = 0;         // what the text needs on one line at the widget's font
    float room = 0;          // what the widget's paint code gives it
    bool squeezable = false; // drawn as fitted text: a line a little too long is squeezed, not cut
};

// A fitted line squeezed by a few percent looks no different (the English remember toggle is
// drawn at 96 % of its width); a wider squeeze is seen.
constexpr float unseenSqueeze = 0.95f;

bool fits (const Caption& caption)
{
    return caption.width * (caption.squeezable ? unseenSqueeze : 1.0f) <= caption.room;
}

// PicAndTextButton::paintButton, normal and pressed.
Caption barCaption (juce::Button& button, bool pressed)
{
    auto text = button.getButtonText();
    return { text, PicAndTextButton::getCaptionFont (pressed).getStringWidthFloat (text),
             (float) PicAndTextButton::getCaptionArea (pressed).getWidth() };
}

// The framework's LookAndFeel_V4::drawToggleButton: at most 15 high, after the tick box.
Caption toggleCaption (juce::Button& toggle)
{
    auto fontSize = juce::jmin (15.0f, (float) toggle.getHeight() * 0.75f);
    auto area = toggle.getLocalBounds().withTrimmedLeft (juce::roundToInt (fontSize * 1.1f) + 10).withTrimmedRight (2);
    auto text = toggle.getButtonText();
    return { text, juce::Font (fontSize).getStringWidthFloat (text.trim()), (float) area.getWidth(), true };
}

// The framework's LookAndFeel_V2::drawButtonText (kept by V4): inset on each side by the
// smaller of the rounded corner and six tenths of the font height.
Caption textButtonCaption (juce::Button& button)
{
    auto& textButton = dynamic_cast<juce::TextButton&> (button);
    auto font = textButton.getLookAndFeel().getTextButtonFont (textButton, textButton.getHeight());
    auto cornerSize = juce::jmin (textButton.getHeight(), textButton.getWidth()) / 2;
    auto fontHeight = juce::roundToInt (font.getHeight() * 0.6f);
    auto leftIndent = juce::jmin (fontHeight, 2 + cornerSize / (textButton.isConnectedOnLeft() ? 4 : 2));
    auto rightIndent = juce::jmin (fontHeight, 2 + cornerSize / (textButton.isConnectedOnRight() ? 4 : 2));
    auto text = textButton.getButtonText();
    return { text, font.getStringWidthFloat (text.trim()), (float) (textButton.getWidth() - leftIndent - rightIndent), true };
}

// The framework's LookAndFeel_V2::drawLabel: inside the border, as many lines as the height holds.
Caption labelCaption (juce::Label& label)
{
    auto& lf = label.getLookAndFeel();
    auto font = lf.getLabelFont (label);
    auto area = lf.getLabelBorderSize (label).subtractedFrom (label.getLocalBounds());
    return { label.getText(), font.getStringWidthFloat (label.getText().trim()), (float) area.getWidth(), true };
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

// The framework's AlertWindow::updateLayout lays the title out with the message in balanced
// lines; the title fits when it takes one line there. Room is the title's own width when it does
// and nothing when it wraps.
Caption alertTitle (const char* titleKey, const char* messageKey)
{
    auto title = TRANS (titleKey), message = TRANS (messageKey);
    juce::AlertWindow window (title, message, juce::MessageBoxIconType::InfoIcon);
    auto& lf = window.getLookAndFeel();
    auto messageFont = lf.getAlertWindowMessageFont();
    auto titleFont = lf.getAlertWindowTitleFont();

    auto widest = juce::jmax (messageFont.getStringWidth (message), messageFont.getStringWidth (title));
    auto sw = (int) std::sqrt (messageFont.getHeight() * (float) widest);
    auto w = juce::jmin (300 + sw * 2, (int) ((float) window.getParentWidth() * 0.7f));

    juce::AttributedString text;
    text.append (title, titleFont);
    text.append ("\n\n" + message, messageFont);
    text.setJustification (juce::Justification::topLeft);

    juce::TextLayout layout;
    layout.createLayoutWithBalancedLineLengths (text, (float) w);

    int titleLines = 0;
    for (int i = 0; i < layout.getNumLines(); ++i)
    {
        bool holdsTitle = false;
        for (auto* run : layout.getLine (i).runs)
            holdsTitle = holdsTitle || (run->font == titleFont && ! run->glyphs.isEmpty());
        titleLines += holdsTitle ? 1 : 0;
    }

    auto width = titleFont.getStringWidthFloat (title);
    return { title, width, titleLines == 1 ? width : 0.0f };
}
} // namespace

TEST (Captions, FitTheirBoxesInBothLanguages)
{
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
            { "remember toggle", toggleCaption (login.getRememberToggle()) },
            { "forgotten-password link", textButtonCaption (login.getForgottenPasswordButton()) },
            { "login button", textButtonCaption (login.getLoginButton()) },
            { "reset-password button", textButtonCaption (forgotten.getRequestButton()) },
            { "retry button", textButtonCaption (offline.getRetryButton()) },
            { "continue-offline button", textButtonCaption (offline.getContinueButton()) },
            { "optional update prompt", alertTitle ("MSG_PLUGIN_MANAGER_UPDATE_AVAILABLE", "MSG_PLUGIN_MANAGER_UPDATE_AVAILABLE_TEXT") },
            { "required update prompt", alertTitle ("MSG_PLUGIN_MANAGER_UPDATE_REQUIRED", "MSG_PLUGIN_MANAGER_UPDATE_REQUIRED_TEXT") },
        };

        for (auto* page : std::initializer_list<juce::Component*>{ &login, &forgotten, &accountPage, &personalPage })
            for (auto* label : oneLineLabels (*page))
                captions.push_back ({ label->getName(), labelCaption (*label) });

        for (auto& [where, caption] : captions)
        {
            EXPECT_TRUE (caption.text.isNotEmpty()) << where;
            EXPECT_TRUE (fits (caption)) << where << ": \"" << caption.text << "\" needs " << caption.width
                                         << " pixels, has " << caption.room;
        }
    }

    setLanguage (0);
}
