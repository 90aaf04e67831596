#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class QuorvelanMainComponent;

// The 785 x 480 main window. On first start its constructor shows the licence agreement and
// returns only when the customer has answered it.
class KestruneMainWindow final : public juce::DocumentWindow
{
public:
    KestruneMainWindow();
    ~KestruneMainWindow() override;

    void closeButtonPressed() override;

    QuorvelanMainComponent* getMainComponent() const noexcept { return mainComponent; }

    // Shows the licence agreement; true when the customer accepted it.
    static bool runLicenceAgreement();

    // Writes the "init" file that records the accepted agreement.
    static void writeInitFile();

private:
    QuorvelanMainComponent* mainComponent = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KestruneMainWindow)
};
