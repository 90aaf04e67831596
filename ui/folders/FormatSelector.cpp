#include "ui/folders/FormatSelector.h"

#include "ui/folders/SubDirectoryChooser.h"

#include "catalogue/PluginFolders.h"
#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"

namespace
{
const juce::Colour groupOutlineColour (0xb1c6fdfe);
const juce::Colour textColour (0xffc6fdfe);

const char* const formatNames[] = { "RTAS", "VST", "VST64", "AU" };

// Per format: the names of the row's widgets, the chooser's title key and the focus orders
// (0: none).
struct FormatWidgets
{
    const char* tickName;
    const char* buttonName;
    const char* editorName;
    const char* chooserTitleKey;
    int tickOrder, buttonOrder, editorOrder;
};

const FormatWidgets widgets[] = {
    { "m_RTASRadioButton", "m_RTASInstallLocationButton", "m_RTASLocationTextEditor", "SELECT_SUBDIRECTORY_RTAS", 0, 3, 6 },
    { "m_VSTRadioButton", "m_VSTInstallLocationButton", "m_VSTLocationTextEditor", "SELECT_SUBDIRECTORY_VST", 1, 4, 7 },
    { "m_VST64RadioButton", "m_VST64InstallLocationButton", "m_VST64LocationTextEditor", "SELECT_SUBDIRECTORY_VST64", 1, 0, 0 },
    { "m_AURadioButton", "m_AUInstallLocationButton", "m_AULocationTextEditor", "SELECT_SUBDIRECTORY_AU", 2, 5, 8 },
};

// The customer's last tick per format, for this run of the program only.
bool rememberedTicks[] = { false, false, false, false };

juce::String getDefaultFolder (int format)
{
    switch (format)
    {
        case 0:
            return getDefaultRtasFolder();
        case 1:
            return getDefaultVstFolder();
        case 2:
            return getDefaultVst64Folder();
        default:
            return getDefaultAuFolder();
    }
}

juce::String getInstallFolder (int format)
{
    auto& catalogue = ProductCatalogue::getInstance();

    switch (format)
    {
        case 0:
            return catalogue.getRtasInstallFolder();
        case 1:
            return catalogue.getVstInstallFolder();
        case 2:
            return catalogue.getVst64InstallFolder();
        default:
            return catalogue.getAuInstallFolder();
    }
}

void setInstallFolder (int format, const juce::String& path)
{
    auto& catalogue = ProductCatalogue::getInstance();

    switch (format)
    {
        case 0:
            catalogue.setRtasInstallFolder (path);
            break;
        case 1:
            catalogue.setVstInstallFolder (path);
            break;
        case 2:
            catalogue.setVst64InstallFolder (path);
            break;
        default:
            catalogue.setAuInstallFolder (path);
            break;
    }
}

void styleGroup (juce::GroupComponent& group)
{
    group.setColour (juce::GroupComponent::outlineColourId, groupOutlineColour);
    group.setColour (juce::GroupComponent::textColourId, textColour);
}
} // namespace

FormatSelector::FolderChooser FormatSelector::chooseFolder = chooseSubDirectory;

FormatSelector::FormatSelector (bool shouldInstall, ProductRecord* productToShow)
    : product (productToShow)
    , install (shouldInstall)
{
    formatGroup = std::make_unique<juce::GroupComponent> (TRANS ("Format Selection"), TRANS (install ? "Install" : "Uninstall"));
    styleGroup (*formatGroup);
    addAndMakeVisible (*formatGroup);

    if (install)
    {
        locationsGroup = std::make_unique<juce::GroupComponent> (TRANS ("new group"), TRANS ("Locations"));
        styleGroup (*locationsGroup);
        addAndMakeVisible (*locationsGroup);
    }

    if (install && product != nullptr)
    {
        // Only formats missing or not at the latest version are offered.
        if (! product->isVstInstalled() || product->getVstVersion() != product->getLatestVersion())
            buildInstallRow (vst);

        if (! product->isAuInstalled() || product->getAuVersion() != product->getLatestVersion())
            buildInstallRow (au);
    }
    else if (install)
    {
        for (auto format : { rtas, vst, au })
            buildInstallRow (format);
    }
    else if (product != nullptr)
    {
        const bool installed[] = { product->isRtasInstalled(), product->isVstInstalled(),
                                   product->isVst64Installed(), product->isAuInstalled() };

        for (auto format : { rtas, vst, vst64, au })
            if (installed[format])
                buildUninstallRow (format);
    }
    else
    {
        for (auto format : { rtas, vst, au })
            buildUninstallRow (format);
    }

    auto n = (float) rowCount;
    setSize (480, (int) (n * 22.0f + 23.0f + (n - 1.0f) * 5.0f + 17.0f + 20.0f));
}

FormatSelector::~FormatSelector()
{
    formatGroup.reset();

    for (auto& row : rows)
        row.tick.reset();

    locationsGroup.reset();

    for (auto& row : rows)
        row.locationButton.reset();

    for (auto& row : rows)
        row.locationEditor.reset();
}

//==============================================================================
juce::ToggleButton& FormatSelector::addTick (Format format, bool ticked)
{
    auto& w = widgets[format];
    auto& tick = rows[format].tick;

    tick = std::make_unique<juce::ToggleButton> (TRANS (w.tickName));
    addAndMakeVisible (*tick);

    if (w.tickOrder != 0)
        tick->setExplicitFocusOrder (w.tickOrder);

    tick->setButtonText (TRANS (formatNames[format]));
    tick->setToggleState (ticked, juce::dontSendNotification);
    tick->addListener (this);
    tick->setColour (juce::ToggleButton::textColourId, textColour);
    return *tick;
}

juce::String FormatSelector::getProductFolder (Format format) const
{
    const auto found = product->getInstalledFolders();
    const juce::String* folders[] = { &found.rtas, &found.vst, &found.vst64, &found.au };
    return *folders[format];
}

void FormatSelector::buildInstallRow (Format format)
{
    ++rowCount;
    rows[format].shown = true;

    auto& w = widgets[format];
    auto folder = getInstallFolder (format);
    bool ticked = true, enabled = true;

    if (product != nullptr)
    {
        auto found = getProductFolder (format);
        enabled = found.isEmpty();

        // An installed format is greyed, so it cannot be unticked: it is ticked exactly when
        // there is an update for it. A format not installed keeps the customer's last tick.
        if (enabled)
        {
            ticked = rememberedTicks[format];
        }
        else
        {
            folder = found;
            ticked = format == vst ? product->isVstUpdateAvailable() : product->isAuUpdateAvailable();
        }
    }

    addTick (format, ticked).setEnabled (enabled);

    auto& button = rows[format].locationButton;
    button = std::make_unique<juce::TextButton> (TRANS (w.buttonName));
    addAndMakeVisible (*button);
    button->setExplicitFocusOrder (w.buttonOrder);
    button->setButtonText (TRANS ("..."));
    button->addListener (this);
    button->setEnabled (enabled);

    auto& editor = rows[format].locationEditor;
    editor = std::make_unique<RoundTextEditor> (TRANS (w.editorName));
    addAndMakeVisible (*editor);
    editor->setExplicitFocusOrder (w.editorOrder);
    editor->setMultiLine (false, true);
    editor->setReturnKeyStartsNewLine (false);
    editor->setReadOnly (true);
    editor->setScrollbarsShown (true);
    editor->setCaretVisible (false);
    editor->setPopupMenuEnabled (true);
    editor->setText (folder, true);
}

void FormatSelector::buildUninstallRow (Format format)
{
    ++rowCount;
    rows[format].shown = true;
    addTick (format, product != nullptr && rememberedTicks[format]);
}

//==============================================================================
void FormatSelector::resized()
{
    auto y = 23.0f;
    bool first = true;

    for (auto format : { rtas, vst, vst64, au })
    {
        auto& row = rows[format];

        if (! row.shown)
            continue;

        if (! first)
            y += 5.0f;

        first = false;
        auto r = (int) y;

        if (row.tick != nullptr)
            row.tick->setBounds (24, r, 80, 24);

        if (install)
        {
            if (row.locationButton != nullptr)
                row.locationButton->setBounds (128, r, 25, 23);

            if (row.locationEditor != nullptr)
                row.locationEditor->setBounds (160, r, 300, 22);
        }

        y += 22.0f;
    }

    y += 9.0f;
    auto h = (int) y;

    if (install)
    {
        formatGroup->setBounds (12, 4, 104, h);

        if (locationsGroup != nullptr)
            locationsGroup->setBounds (120, 4, 352, h);
    }
    else
    {
        formatGroup->setBounds (12, 4, 456, h);
    }
}

void FormatSelector::buttonClicked (juce::Button* button)
{
    for (auto format : { rtas, vst, vst64, au })
    {
        auto& row = rows[format];

        if (button == row.tick.get())
        {
            rememberedTicks[format] = row.tick->getToggleState();
            return;
        }

        if (button == row.locationButton.get())
        {
            chooseFolderFor (format);
            return;
        }
    }
}

void FormatSelector::chooseFolderFor (Format format)
{
    // The dialog steps aside while the chooser runs: hidden, it is no longer modal, so nothing
    // that ends inside the chooser brings it back on top (its loop goes on once it shows again).
    juce::Component::SafePointer<FormatSelector> self (this);
    juce::Component::SafePointer<juce::Component> window (getPeer() != nullptr ? getTopLevelComponent() : nullptr);

    if (window != nullptr)
        window->setVisible (false);

    auto chosen = chooseFolder != nullptr ? chooseFolder (TRANS (widgets[format].chooserTitleKey),
                                                          getDefaultFolder (format),
                                                          getInstallFolder (format))
                                          : juce::String();

    if (self == nullptr)
        return;

    // An empty path leaves the stored folder as it was.
    setInstallFolder (format, chosen);
    rows[format].locationEditor->setText (getInstallFolder (format), true);

    if (window != nullptr)
        window->setVisible (true);
}

//==============================================================================
bool FormatSelector::getTick (Format format) const
{
    auto& tick = rows[format].tick;
    return tick != nullptr && tick->getToggleState();
}

juce::String FormatSelector::getLocation (Format format) const
{
    auto& editor = rows[format].locationEditor;
    return editor != nullptr ? editor->getText() : juce::String();
}

bool FormatSelector::getRtasTick() const
{
    return getTick (rtas);
}
bool FormatSelector::getVstTick() const
{
    return getTick (vst);
}
bool FormatSelector::getVst64Tick() const
{
    return getTick (vst64);
}
bool FormatSelector::getAuTick() const
{
    return getTick (au);
}

void FormatSelector::getSelectedFormats (bool& rtasTick, bool& vstTick, bool& vst64Tick, bool& auTick) const
{
    rtasTick = getTick (rtas);
    vstTick = getTick (vst);
    vst64Tick = getTick (vst64);
    auTick = getTick (au);
}

juce::String FormatSelector::getRtasLocation() const
{
    return getLocation (rtas);
}
juce::String FormatSelector::getVstLocation() const
{
    return getLocation (vst);
}
juce::String FormatSelector::getVst64Location() const
{
    return getLocation (vst64);
}
juce::String FormatSelector::getAuLocation() const
{
    return getLocation (au);
}

void FormatSelector::getLocations (juce::String& rtasFolder, juce::String& vstFolder,
                                   juce::String& vst64Folder, juce::String& auFolder) const
{
    rtasFolder = getLocation (rtas);
    vstFolder = getLocation (vst);
    vst64Folder = getLocation (vst64);
    auFolder = getLocation (au);
}

void FormatSelector::getInstallChoice (juce::StringArray& formats, FormatLocations& locations) const
{
    if (getTick (au))
    {
        formats.add ("AU");
        locations.au = getLocation (au);
    }

    if (getTick (vst))
    {
        formats.add ("VST");
        locations.vst = getLocation (vst);
    }

    if (getTick (rtas))
    {
        formats.add ("RTAS");
        locations.rtas = getLocation (rtas);
    }
}

bool FormatSelector::getRememberedTick (const juce::String& format)
{
    for (int i = 0; i < numFormats; ++i)
        if (format == formatNames[i])
            return rememberedTicks[i];

    return false;
}

void FormatSelector::forgetRememberedTicks()
{
    for (auto& tick : rememberedTicks)
        tick = false;
}
