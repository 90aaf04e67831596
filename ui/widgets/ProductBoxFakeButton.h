#pragma once

#include "ui/widgets/AnimTicker.h"

// The product status screen's box: an overlay picture that slides into place along "boxslide"
// on a ticker of its own, which its owner starts and whose slide ends with the paint that sees
// it finished.
class ProductBoxFakeButton final : public juce::Button
{
public:
    ProductBoxFakeButton();
    ~ProductBoxFakeButton() override;

    // Started and re-armed ("boxslide") by the owner.
    AnimTicker& getTicker() noexcept { return ticker; }

    void resized() override;
    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

private:
    AnimTicker ticker{ nullptr };
    juce::Image overlayPicture;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ProductBoxFakeButton)
};
