#include "ui/widgets/BulkButtonBar.h"

BulkButtonBar::BulkButtonBar() = default;

BulkButtonBar::~BulkButtonBar()
{
    deleteButtons();
}

void BulkButtonBar::createButtons (juce::Component* parentComponent, juce::Button::Listener* listener)
{
    deleteButtons();
    parent = parentComponent;

    back = std::make_unique<GoBackButton>();
    next = std::make_unique<GoNextButton>();
    quit = std::make_unique<GoCloseButton>();
    installAll = std::make_unique<PicAndTextButton> ("Art/install_all.png");
    updateAll = std::make_unique<PicAndTextButton> ("Art/update_all.png");
    uninstallAll = std::make_unique<PicAndTextButton> ("Art/remove_all.png");

    installAll->setButtonText (TRANS ("BUT_INSTALL_ALL"));
    updateAll->setButtonText (TRANS ("BUT_UPDATE_ALL"));
    uninstallAll->setButtonText (TRANS ("BUT_UNINSTALL_ALL"));

    for (int i = 0; i < 6; ++i)
    {
        auto* button = getButton (i);

        if (parent != nullptr)
            parent->addAndMakeVisible (button);

        if (listener != nullptr)
            button->addListener (listener);

        button->setEnabled (false);
    }
}

void BulkButtonBar::setButtonStates (int backCode, int nextCode, int quitCode,
                                     int installAllCode, int updateAllCode, int uninstallAllCode)
{
    const int codes[] = { backCode, nextCode, quitCode, installAllCode, updateAllCode, uninstallAllCode };

    for (int i = 0; i < 6; ++i)
        if (auto* button = getButton (i))
            button->setEnabled (codes[i] == 1);

    for (int i = 0; i < 6; ++i)
        if (auto* button = getButton (i))
            button->setVisible (codes[i] != 2);
}

void BulkButtonBar::layoutButtons()
{
    struct Placement
    {
        int index, x, y, w, h;
    };

    static constexpr Placement placements[] = {
        { 0, 18, 435, 34, 34 },
        { 3, 82, 433, 134, 30 },
        { 4, 227, 433, 134, 30 },
        { 5, 371, 433, 134, 30 },
        { 1, 739, 435, 34, 34 },
        { 2, 739, 435, 34, 34 },
    };

    for (auto& p : placements)
        if (auto* button = getButton (p.index))
            button->setBounds (p.x, p.y, p.w, p.h);
}

int BulkButtonBar::indexOfButton (const juce::Button* button) const noexcept
{
    for (int i = 0; i < 6; ++i)
        if (button != nullptr && button == getButton (i))
            return i;

    return 0;
}

void BulkButtonBar::deleteButtons()
{
    back.reset();
    next.reset();
    quit.reset();
    installAll.reset();
    updateAll.reset();
    uninstallAll.reset();
}

juce::Button* BulkButtonBar::getButton (int index) const noexcept
{
    switch (index)
    {
        case 0:
            return back.get();
        case 1:
            return next.get();
        case 2:
            return quit.get();
        case 3:
            return installAll.get();
        case 4:
            return updateAll.get();
        case 5:
            return uninstallAll.get();
        default:
            return nullptr;
    }
}
