#pragma once

#include "catalogue/InstallTask.h"
#include "ui/screens/ScreenCodeBroadcaster.h"
#include "ui/widgets/AnimTicker.h"
#include "ui/widgets/BulkButtonBar.h"
#include "ui/widgets/ProductBoxFakeButton.h"
#include "ui/widgets/SettingsButton.h"

class FormatSelector;
class ProductStatusTableModel;

// The working page: one table row per product of the catalogue (title, installed version, an
// install or update button and an uninstall button), the product box, and the bar whose bulk
// buttons install, update or uninstall every product at once. Activating it offers at once to
// install what is missing and to update what is out of date.
class ProductStatusComponent final : public juce::Component,
                                     public juce::Button::Listener,
                                     public ScreenCodeBroadcaster
{
public:
    ProductStatusComponent();
    ~ProductStatusComponent() override;

    //==============================================================================
    // Starts the animations, refreshes the table, then offers install all and update all.
    void activate();

    // Re-reads the table from the catalogue and sets the bar's bulk buttons from its answers.
    void refreshStatus();

    // For the table's buttons: shows the selector in a dialog and answers whether its confirm
    // button ended it; then runs one product's task (nothing when no format was chosen) and
    // refreshes and repaints the screen that exists, if any.
    static bool askForFormats (FormatSelector& selector, const juce::String& title, const juce::String& message,
                               const juce::String& confirmText, const juce::String& cancelText);
    static void runProductTask (int productId, const juce::StringArray& formats,
                                const FormatLocations& locations, bool installMode);

    // The three bulk offers: each lists its tasks in a dialog and runs them when confirmed.
    void installAllAvailable();
    void updateAll();
    void uninstallAll();

    // Demo download list (true) or the customer's status page (false); only the wording of the
    // install-all offer differs.
    void setDownloadMode (bool shouldBeDownloadMode) noexcept { downloadMode = shouldBeDownloadMode; }
    bool isInDownloadMode() const noexcept { return downloadMode; }

    AnimTicker& getTicker() noexcept { return ticker; }
    juce::TableListBox& getTable() noexcept { return *table; }
    ProductBoxFakeButton& getProductBox() noexcept { return *productBox; }
    juce::Button* getBarButton (int index) const noexcept { return bulkBar.getButton (index); }

    // The offer's listing: per task its product's title and latest version, then its formats.
    static juce::String makeListing (const InstallTaskList& tasks);

    //==============================================================================
    void paint (juce::Graphics& g) override;
    void resized() override;
    void buttonClicked (juce::Button* button) override;

private:
    // Shows the listing in a dialog (with the selector below it, when given) and answers whether
    // the confirm button ended it.
    static bool confirmOffer (const juce::String& title, const juce::String& message,
                              const juce::String& listing, int editorBorder,
                              const juce::String& confirmText, FormatSelector* selector);

    AnimTicker ticker{ nullptr };
    bool downloadMode = false;
    bool hasBeenRefreshed = false;
    BulkButtonBar bulkBar;
    std::unique_ptr<ProductBoxFakeButton> productBox;
    std::unique_ptr<ProductStatusTableModel> tableModel;
    std::unique_ptr<SettingsButton> settingsButton;
    std::unique_ptr<juce::TableListBox> table;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ProductStatusComponent)
};

// The one product status screen while it exists; the table's buttons refresh it through this
// after a task, since the refresh deletes the button that was clicked.
extern ProductStatusComponent* productStatusComponentInstance;
