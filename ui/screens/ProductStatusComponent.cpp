#include "ui/screens/ProductStatusComponent.h"

#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"
#include "services/ProgramQuit.h"
#include "tasks/DownloadThread.h"
#include "ui/folders/FormatSelector.h"
#include "ui/screens/ProductStatusTableModel.h"
#include "ui/screens/ScreenCode.h"
#include "ui/widgets/PluginManagerAlertWindow.h"

ProductStatusComponent* productStatusComponentInstance = nullptr;

namespace
{
const juce::Colour textColour (0xffc6fdfe);

enum BarIndex
{
    backIndex = 0,
    nextIndex = 1,
    quitIndex = 2,
    installAllIndex = 3,
    updateAllIndex = 4,
    uninstallAllIndex = 5
};
} // namespace

ProductStatusComponent::ProductStatusComponent()
{
    setName ("ProductStatusComponent");

    ticker.addAnimation ("updatebuttonbounce", 4, 0.0f, 0.0f, 1.0f, 0.75f, 10.0f, -1.0f, 0.1f);
    ticker.stop();
    hasBeenRefreshed = false;

    tableModel = std::make_unique<ProductStatusTableModel> (*this);
    table = std::make_unique<juce::TableListBox> ("ProductStatusTableModel", tableModel.get());
    table->setColour (juce::ListBox::backgroundColourId, juce::Colours::black);
    table->setColour (juce::ListBox::outlineColourId, juce::Colour (198, 253, 254));
    table->setOutlineThickness (2);
    table->setRowHeight (30);

    auto& header = table->getHeader();
    header.setStretchToFitActive (false);
    header.addColumn (TRANS ("TBLHDR_PLUGIN"), ProductStatusTableModel::pluginColumn, 210, 0, 0, 1);
    header.addColumn (TRANS ("TBLHDR_VERSION"), ProductStatusTableModel::versionColumn, 55, 0, 0, 1);
    header.addColumn ({}, ProductStatusTableModel::installColumn, 34, 0, 0, 1);
    header.addColumn ({}, ProductStatusTableModel::uninstallColumn, 34, 0, 0, 1);

    productStatusComponentInstance = this;

    productBox = std::make_unique<ProductBoxFakeButton>();
    addAndMakeVisible (*productBox);
    addAndMakeVisible (*table);

    bulkBar.createButtons (this, this);
    bulkBar.setButtonStates (1, 2, 1, 2, 2, 2);

    // Made and owned here but not shown: its place overlaps the back and install-all buttons.
    settingsButton = std::make_unique<SettingsButton>();

    resized();
}

ProductStatusComponent::~ProductStatusComponent()
{
    ticker.stop();
    table.reset();
    tableModel.reset();
    productBox.reset();
    bulkBar.deleteButtons();
    settingsButton.reset();

    if (productStatusComponentInstance == this)
        productStatusComponentInstance = nullptr;
}

//==============================================================================
void ProductStatusComponent::activate()
{
    ticker.start();
    productBox->getTicker().start();
    refreshStatus();
    installAllAvailable();
    updateAll();
}

bool ProductStatusComponent::askForFormats (FormatSelector& selector, const juce::String& title,
                                            const juce::String& message, const juce::String& confirmText,
                                            const juce::String& cancelText)
{
    // The window does not own the selector, which outlives it.
    PluginManagerAlertWindow window (title, message, juce::MessageBoxIconType::NoIcon);
    window.addCustomComponent (&selector);
    window.addButton (confirmText, 0);
    window.addButton (cancelText, 1);
    return window.runModalLoop() == 0;
}

void ProductStatusComponent::runProductTask (int productId, const juce::StringArray& formats,
                                             const FormatLocations& locations, bool installMode)
{
    if (formats.isEmpty())
        return;

    InstallTaskList tasks;
    tasks.add (new InstallTask (productId, formats, locations));
    runInstallTasks (tasks, installMode);

    // The refresh deletes the table's buttons, the clicked one among them.
    if (auto* screen = productStatusComponentInstance)
        screen->refreshStatus();
}

void ProductStatusComponent::refreshStatus()
{
    hasBeenRefreshed = true;
    table->updateContent();

    auto& catalogue = ProductCatalogue::getInstance();
    bulkBar.setButtonStates (1, 2, 1,
                             catalogue.anyNotFullyInstalled() ? 1 : 0,
                             catalogue.anyUpdateAvailable() ? 1 : 0,
                             catalogue.anyInstalled() ? 1 : 0);

    // A task window that has just closed can leave its image on the screen until the next event.
    repaint();
}

//==============================================================================
void ProductStatusComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::transparentBlack);

    if (hasBeenRefreshed)
        return;

    g.setColour (juce::Colour (80, 80, 80));
    g.drawRoundedRectangle (122.5f, 278.0f, 300.0f, 24.0f, 10.0f, 4.0f);
    g.setColour (textColour);
    g.drawText (TRANS ("TXT_PLEASE_WAIT"), 122, 278, 300, 24, juce::Justification::centred, false);
}

void ProductStatusComponent::resized()
{
    table->setBounds (25, 140, 495, 275);
    bulkBar.layoutButtons();
    settingsButton->setCentrePosition (66, 452);
}

void ProductStatusComponent::buttonClicked (juce::Button* button)
{
    switch (bulkBar.indexOfButton (button))
    {
        case backIndex:
            sendScreenCode (ScreenCode::updateCheck);
            ticker.restart ("boxslide");
            productBox->getTicker().restart ("boxslide");
            ticker.stop();
            break;

        case quitIndex:
            ProgramQuit::request();
            break;

        case installAllIndex:
            installAllAvailable();
            break;

        case updateAllIndex:
            updateAll();
            break;

        case uninstallAllIndex:
            uninstallAll();
            break;

        case nextIndex:
        default:
            break;
    }
}

//==============================================================================
juce::String ProductStatusComponent::makeListing (const InstallTaskList& tasks)
{
    const juce::String indent ("          ");
    auto& catalogue = ProductCatalogue::getInstance();
    juce::String listing;

    for (auto* task : tasks)
    {
        auto* product = catalogue.findProductById (task->productId);

        listing << indent << (product != nullptr ? product->getTitle() : juce::String())
                << " " << (product != nullptr ? product->getLatestVersionText() : juce::String()) << "\n"
                << indent << TRANS ("TXT_FORMAT_S") << " ";

        for (auto& format : task->formats)
            listing << format << "   ";

        listing << "\n\n";
    }

    return listing;
}

bool ProductStatusComponent::confirmOffer (const juce::String& title, const juce::String& message,
                                           const juce::String& listing, int editorBorder,
                                           const juce::String& confirmText, FormatSelector* selector)
{
    // The window does not own its custom components: they outlive it.
    juce::TextEditor editor;
    editor.setReadOnly (true);
    editor.setMultiLine (true, true);
    editor.setScrollbarsShown (true);
    editor.setColour (juce::TextEditor::textColourId, textColour);
    editor.setColour (juce::TextEditor::outlineColourId, textColour);
    editor.setColour (juce::TextEditor::backgroundColourId, juce::Colours::black);
    editor.setColour (juce::TextEditor::highlightedTextColourId, juce::Colours::black);
    editor.setColour (juce::TextEditor::highlightColourId, juce::Colours::steelblue);
    editor.setBorder (juce::BorderSize<int> (editorBorder));
    editor.setText (listing);

    PluginManagerAlertWindow window (title, message, juce::MessageBoxIconType::NoIcon);
    window.addButton (confirmText, 0);
    window.addButton (TRANS ("BUT_CANCEL"), 1);

    editor.setSize (selector != nullptr ? selector->getWidth() : window.getWidth() - 40, 200);
    window.addCustomComponent (&editor);

    if (selector != nullptr)
        window.addCustomComponent (selector);

    return window.runModalLoop() == 0;
}

void ProductStatusComponent::installAllAvailable()
{
    InstallTaskList tasks;

    if (! ProductCatalogue::getInstance().buildInstallAllTasks (tasks))
        return;

    FormatSelector selector (true, nullptr);

    auto confirmed = confirmOffer (TRANS (downloadMode ? "MSG_DEMO_PLUGINS_AVAILABLE" : "MSG_LICENSED_PLUGINS_AVAILABLE"),
                                   TRANS (downloadMode ? "MSG_DEMO_PLUGINS_AVAILABLE_DESC" : "MSG_LICENSED_PLUGINS_AVAILABLE_DESC"),
                                   makeListing (tasks), 3, TRANS ("BUT_INSTALL"), &selector);

    if (! confirmed)
        return;

    // Every product gets the ticked formats and their folders, whatever it was missing.
    juce::StringArray formats;
    FormatLocations locations;
    selector.getInstallChoice (formats, locations);

    if (formats.isEmpty())
        return;

    for (auto* task : tasks)
    {
        task->formats = formats;
        task->locations = locations;
    }

    runInstallTasks (tasks, true);
    refreshStatus();
}

void ProductStatusComponent::updateAll()
{
    InstallTaskList tasks;

    if (! ProductCatalogue::getInstance().buildUpdateAllTasks (tasks))
        return;

    if (! confirmOffer (TRANS ("Plugin Updates"), TRANS ("MSG_UPDATES_AVAILABLE"), makeListing (tasks), 2,
                        TRANS ("BUT_INSTALL"), nullptr))
        return;

    runInstallTasks (tasks, true);
    refreshStatus();
}

void ProductStatusComponent::uninstallAll()
{
    InstallTaskList tasks;

    if (! ProductCatalogue::getInstance().buildUninstallAllTasks (tasks))
        return;

    if (! confirmOffer (TRANS ("LAB_UNINSTALL_ALL"), TRANS ("LAB_UNINSTALL_ALL_DESC"), makeListing (tasks), 3,
                        TRANS ("BUT_UNINSTALL"), nullptr))
        return;

    runInstallTasks (tasks, false);
    refreshStatus();
}
