#pragma once

#include "catalogue/FormatLocations.h"
#include "ui/widgets/RoundTextEditor.h"

#include <functional>

class ProductRecord;

// The panel of plug-in format rows that an install or uninstall dialog holds: a tick box per
// format and, when installing, a "..." button and a read-only field showing the folder to install
// that format into. Built for one product or, with none, for all products.
class FormatSelector final : public juce::Component,
                             public juce::Button::Listener
{
public:
    // Install: the install or update layouts; otherwise the uninstall layouts. The product is not
    // owned and may be null.
    FormatSelector (bool install, ProductRecord* product);
    ~FormatSelector() override;

    //==============================================================================
    // The tick of that format's box; false when the row was not built.
    bool getRtasTick() const;
    bool getVstTick() const;
    bool getVst64Tick() const;
    bool getAuTick() const;
    void getSelectedFormats (bool& rtas, bool& vst, bool& vst64, bool& au) const;

    // The text of that format's folder field; empty when the row has no field.
    juce::String getRtasLocation() const;
    juce::String getVstLocation() const;
    juce::String getVst64Location() const;
    juce::String getAuLocation() const;
    void getLocations (juce::String& rtas, juce::String& vst, juce::String& vst64, juce::String& au) const;

    // The ticked formats of an install, read as AU, VST, RTAS, each with its folder field.
    void getInstallChoice (juce::StringArray& formats, FormatLocations& locations) const;

    //==============================================================================
    void paint (juce::Graphics&) override {}
    void resized() override;
    void buttonClicked (juce::Button* button) override;

    //==============================================================================
    // Asks the customer for a folder below the root, starting at the start folder, and returns
    // the full path chosen, or the empty String when nothing was chosen. The folder chooser by
    // default; tests put a stand-in here.
    using FolderChooser = std::function<juce::String (const juce::String& title,
                                                      const juce::String& rootFolderPath,
                                                      const juce::String& startFolderPath)>;
    static FolderChooser chooseFolder;

    // The last tick the customer gave each format in this run of the program (never saved).
    static bool getRememberedTick (const juce::String& format);
    static void forgetRememberedTicks();

private:
    enum Format
    {
        rtas,
        vst,
        vst64,
        au,
        numFormats
    };

    struct Row
    {
        std::unique_ptr<juce::ToggleButton> tick;
        std::unique_ptr<juce::TextButton> locationButton;
        std::unique_ptr<RoundTextEditor> locationEditor;
        bool shown = false;
    };

    void buildInstallRow (Format format);
    void buildUninstallRow (Format format);
    juce::ToggleButton& addTick (Format format, bool ticked);
    juce::String getProductFolder (Format format) const;
    bool getTick (Format format) const;
    juce::String getLocation (Format format) const;
    void chooseFolderFor (Format format);

    ProductRecord* product;
    bool install;
    int rowCount = 0;

    std::unique_ptr<juce::GroupComponent> formatGroup;
    Row rows[numFormats];
    std::unique_ptr<juce::GroupComponent> locationsGroup;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FormatSelector)
};
