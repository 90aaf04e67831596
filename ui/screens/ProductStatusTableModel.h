#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class ProductStatusComponent;

// The product table's content: a row per product in display order, with the title, the installed
// version and the install and uninstall buttons.
class ProductStatusTableModel final : public juce::TableListBoxModel
{
public:
    explicit ProductStatusTableModel (ProductStatusComponent& owner);

    int getNumRows() override;
    void paintRowBackground (juce::Graphics& g, int rowNumber, int width, int height, bool rowIsSelected) override;
    void paintCell (juce::Graphics&, int, int, int, int, bool) override {}

    // Takes ownership of the existing component and always makes a new one for the cell.
    juce::Component* refreshComponentForCell (int rowNumber, int columnId, bool isRowSelected,
                                              juce::Component* existingComponentToUpdate) override;

    void cellClicked (int, int, const juce::MouseEvent&) override {}
    void cellDoubleClicked (int, int, const juce::MouseEvent&) override {}
    juce::String getCellTooltip (int, int) override { return {}; }

    enum ColumnIds
    {
        pluginColumn = 1,
        versionColumn = 3,
        installColumn = 4,
        uninstallColumn = 5
    };

private:
    ProductStatusComponent& owner;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ProductStatusTableModel)
};
