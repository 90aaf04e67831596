#pragma once

#include "ui/widgets/TrashCanButton.h"

// The product table's uninstall button: asks which installed formats of its row's product to
// remove and removes them.
class TableUninstallButton final : public TrashCanButton
{
public:
    explicit TableUninstallButton (int row);

    int getRow() const noexcept { return row; }

    using juce::Button::clicked;
    void clicked() override;

private:
    int row;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TableUninstallButton)
};
