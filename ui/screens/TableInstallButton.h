#pragma once

#include "ui/widgets/InstallButton.h"

class ProductStatusComponent;

// The product table's install or update button: asks which formats to install for its row's
// product and installs them.
class TableInstallButton final : public InstallButton
{
public:
    TableInstallButton (ProductStatusComponent& owner, int row);
    ~TableInstallButton() override;

    int getRow() const noexcept { return row; }

    using juce::Button::clicked;
    void clicked() override;

private:
    AnimTicker& bounceTicker;
    int row;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TableInstallButton)
};
