#pragma once

#include "ui/widgets/GoBackButton.h"
#include "ui/widgets/GoCloseButton.h"
#include "ui/widgets/GoNextButton.h"
#include "ui/widgets/PicAndTextButton.h"

// The six buttons along the bottom of a screen: back (index 0), next (1), quit (2), install all
// (3), update all (4) and uninstall all (5). The bar owns them; the screen holds them as children.
class BulkButtonBar final
{
public:
    BulkButtonBar();
    ~BulkButtonBar();

    // Creates the six buttons, disabled and visible, as children of the parent, with the
    // listener registered on each.
    void createButtons (juce::Component* parent, juce::Button::Listener* listener);

    // Per button: 1 shown and enabled, 2 hidden and disabled, any other code shown and disabled.
    void setButtonStates (int back, int next, int quit, int installAll, int updateAll, int uninstallAll);

    // Places the buttons at their fixed rectangles in the parent.
    void layoutButtons();

    // The button's index, or 0 (back) when it is none of the six: callers test their own
    // buttons first.
    int indexOfButton (const juce::Button* button) const noexcept;

    void deleteButtons();

    // By index as above; null before createButtons, after deleteButtons or outside 0..5.
    juce::Button* getButton (int index) const noexcept;

private:
    std::unique_ptr<GoBackButton> back;
    std::unique_ptr<GoNextButton> next;
    std::unique_ptr<GoCloseButton> quit;
    std::unique_ptr<PicAndTextButton> installAll;
    std::unique_ptr<PicAndTextButton> updateAll;
    std::unique_ptr<PicAndTextButton> uninstallAll;
    juce::Component* parent = nullptr;

    JUCE_DECLARE_NON_COPYABLE (BulkButtonBar)
};
