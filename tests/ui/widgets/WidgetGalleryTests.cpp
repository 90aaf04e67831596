#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "localisation/Languages.h"
#include "resources/ResourceArchive.h"
#include "ui/widgets/AnimTicker.h"
#include "ui/widgets/BulkButtonBar.h"
#include "ui/widgets/DownloadDemoButton.h"
#include "ui/widgets/ExistingUserButton.h"
#include "ui/widgets/GoBackButton.h"
#include "ui/widgets/GoCloseButton.h"
#include "ui/widgets/GoNextButton.h"
#include "ui/widgets/InstallButton.h"
#include "ui/widgets/PicAndTextButton.h"
#include "ui/widgets/PluginManagerAlertWindow.h"
#include "ui/widgets/ProductBoxFakeButton.h"
#include "ui/widgets/RegisterBoxButton.h"
#include "ui/widgets/RoundComboBox.h"
#include "ui/widgets/RoundTextEditor.h"
#include "ui/widgets/SettingsButton.h"
#include "ui/widgets/TrashCanButton.h"

#include <cstdlib>

using namespace WidgetTestSupport;

namespace
{
struct Cell
{
    juce::String caption;
    juce::Image image;
};

struct Row
{
    juce::String title;
    std::vector<Cell> cells;
};

// Small widgets are shown enlarged, so that a person can see their pixels.
juce::Image magnified (const juce::Image& image, int factor)
{
    return image.rescaled (image.getWidth() * factor, image.getHeight() * factor, juce::Graphics::lowResamplingQuality);
}

const std::pair<const char*, juce::Button::ButtonState> buttonStates[] = {
    { "normal", juce::Button::buttonNormal },
    { "over", juce::Button::buttonOver },
    { "down", juce::Button::buttonDown },
};

void addButtonStates (Row& row, const juce::String& name, juce::Button& button, int factor = 1)
{
    for (auto& [label, state] : buttonStates)
        row.cells.push_back ({ name + " " + label, magnified (renderButton (button, true, state), factor) });

    row.cells.push_back ({ name + " disabled", magnified (renderButton (button, false, juce::Button::buttonNormal), factor) });
}

juce::Image compose (const std::vector<Row>& rows)
{
    const int margin = 12, titleHeight = 24, captionHeight = 18, gap = 14;
    const juce::Colour background (0xff101418), textColour (0xffc6fdfe);

    int width = 0, height = margin;

    for (auto& row : rows)
    {
        int rowWidth = margin, rowHeight = 0;

        for (auto& cell : row.cells)
        {
            rowWidth += juce::jmax (cell.image.getWidth(), 90) + gap;
            rowHeight = juce::jmax (rowHeight, cell.image.getHeight());
        }

        width = juce::jmax (width, rowWidth + margin);
        height += titleHeight + rowHeight + captionHeight + gap;
    }

    juce::Image sheet (juce::Image::ARGB, width, height, true);
    juce::Graphics g (sheet);
    g.fillAll (background);

    int y = margin;

    for (auto& row : rows)
    {
        g.setColour (textColour);
        g.setFont (juce::Font (16.0f, juce::Font::bold));
        g.drawText (row.title, margin, y, width - 2 * margin, titleHeight, juce::Justification::centredLeft, false);
        y += titleHeight;

        int x = margin, rowHeight = 0;

        for (auto& cell : row.cells)
        {
            auto cellWidth = juce::jmax (cell.image.getWidth(), 90);

            // A checkerboard behind each widget shows what it leaves transparent.
            juce::Rectangle<int> area (x, y, cell.image.getWidth(), cell.image.getHeight());
            g.setColour (juce::Colour (0xff2a3036));
            g.fillRect (area);
            g.setColour (juce::Colour (0xff353c43));

            for (int cy = area.getY(); cy < area.getBottom(); cy += 8)
                for (int cx = area.getX() + (((cy - area.getY()) / 8) % 2) * 8; cx < area.getRight(); cx += 16)
                    g.fillRect (juce::Rectangle<int> (cx, cy, 8, 8).getIntersection (area));

            g.drawImageAt (cell.image, x, y);
            rowHeight = juce::jmax (rowHeight, cell.image.getHeight());
            x += cellWidth + gap;
        }

        x = margin;

        for (auto& cell : row.cells)
        {
            auto cellWidth = juce::jmax (cell.image.getWidth(), 90);
            g.setColour (textColour.withAlpha (0.8f));
            g.setFont (juce::Font (12.0f));
            g.drawFittedText (cell.caption, x, y + rowHeight + 2, cellWidth, captionHeight - 2, juce::Justification::centredLeft, 1);
            x += cellWidth + gap;
        }

        y += rowHeight + captionHeight + gap;
    }

    return sheet;
}

juce::File galleryFile()
{
    if (auto* path = std::getenv ("QUORVELAN_GALLERY"))
        if (*path != 0)
            return juce::File::getCurrentWorkingDirectory().getChildFile (path);

    return juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("quorvelan-widget-gallery.png");
}
} // namespace

TEST (WidgetGallery, WritesEveryWidgetInEveryState)
{
    std::vector<Row> rows;

    for (int language : { 0, 1 })
    {
        setLanguage (language);
        auto suffix = language == 0 ? juce::String() : juce::String (" (Spanish)");

        Row large{ "Welcome page buttons" + suffix, {} };
        DownloadDemoButton download;
        ExistingUserButton existing;
        RegisterBoxButton registerBox;

        if (language == 0)
        {
            addButtonStates (large, "download", download);
            rows.push_back (large);
            large = { "Welcome page buttons", {} };
            addButtonStates (large, "existing", existing);
            rows.push_back (large);
            large = { "Welcome page buttons", {} };
            addButtonStates (large, "register", registerBox);
        }
        else
        {
            large.cells.push_back ({ "download", renderButton (download, true, juce::Button::buttonNormal) });
            large.cells.push_back ({ "existing", renderButton (existing, true, juce::Button::buttonNormal) });
            large.cells.push_back ({ "existing over", renderButton (existing, true, juce::Button::buttonOver) });
            large.cells.push_back ({ "register", renderButton (registerBox, true, juce::Button::buttonNormal) });
        }

        rows.push_back (large);

        Row bar{ "Bar buttons (x2)" + suffix, {} };
        PicAndTextButton installAll ("Art/install_all.png"), updateAll ("Art/update_all.png"), uninstallAll ("Art/remove_all.png");
        installAll.setButtonText (TRANS ("BUT_INSTALL_ALL"));
        updateAll.setButtonText (TRANS ("BUT_UPDATE_ALL"));
        uninstallAll.setButtonText (TRANS ("BUT_UNINSTALL_ALL"));
        addButtonStates (bar, "install all", installAll, 2);
        rows.push_back (bar);
        bar = { "Bar buttons (x2)" + suffix, {} };
        addButtonStates (bar, "update all", updateAll, 2);
        addButtonStates (bar, "uninstall all", uninstallAll, 2);
        rows.push_back (bar);
    }

    setLanguage (0);

    Row icons{ "Icon buttons (x3)", {} };
    GoBackButton back;
    GoNextButton next;
    GoCloseButton close;
    addButtonStates (icons, "back", back, 3);
    addButtonStates (icons, "next", next, 3);
    addButtonStates (icons, "close", close, 3);
    rows.push_back (icons);

    icons = { "Icon buttons (x3)", {} };
    TrashCanButton trash;
    SettingsButton settings;
    auto bounce = bounceAt (0.0f);
    InstallButton install (bounce.get());
    install.setMode (1);
    addButtonStates (icons, "trash", trash, 3);
    addButtonStates (icons, "settings", settings, 3);
    addButtonStates (icons, "install", install, 3);
    rows.push_back (icons);

    Row pulse{ "Install button, update look (x3)", {} };

    for (float value : { 0.0f, 0.25f, 0.5f, 0.75f, 0.99f, 1.0f })
    {
        auto ticker = bounceAt (value);
        InstallButton update (ticker.get());
        update.setMode (0);
        pulse.cells.push_back ({ "value " + juce::String (value), magnified (renderButton (update, true, juce::Button::buttonNormal), 3) });

        if (value == 0.5f)
        {
            pulse.cells.push_back ({ "0.5 over", magnified (renderButton (update, true, juce::Button::buttonOver), 3) });
            pulse.cells.push_back ({ "0.5 down", magnified (renderButton (update, true, juce::Button::buttonDown), 3) });
            pulse.cells.push_back ({ "0.5 disabled", magnified (renderButton (update, false, juce::Button::buttonNormal), 3) });
        }

        update.setMode (1);
    }

    rows.push_back (pulse);

    Row fields{ "Round text editors, combo boxes (x2)", {} };
    {
        FocusWindow window;
        RoundTextEditor empty ("empty"), filled ("filled"), focused ("focused"), tinted ("tinted");

        for (auto* editor : { &empty, &filled, &focused, &tinted })
            editor->setSize (200, 24);

        filled.setText ("customer@example.com");
        focused.setText ("Typed while focused");
        tinted.setText ("Body colour changed");
        tinted.setColour (juce::TextEditor::backgroundColourId, juce::Colours::lightyellow);

        fields.cells.push_back ({ "empty", magnified (render (empty), 2) });
        fields.cells.push_back ({ "with text", magnified (render (filled), 2) });
        fields.cells.push_back ({ "body colour", magnified (render (tinted), 2) });

        if (window.focus (focused))
        {
            focused.setCaretVisible (false);
            fields.cells.push_back ({ "focused", magnified (render (focused), 2) });
        }

        window.window.removeAllChildren();

        RoundComboBox combo ("language");
        combo.addItem ("English", 1);
        combo.addItem ("Spanish", 2);
        combo.setSelectedId (1, juce::dontSendNotification);
        combo.setEditableText (false);
        combo.setSize (157, 23);
        fields.cells.push_back ({ "combo box", magnified (render (combo), 2) });

        if (window.focus (combo))
            fields.cells.push_back ({ "combo box focused", magnified (render (combo), 2) });

        window.window.removeAllChildren();
    }
    rows.push_back (fields);

    Row box{ "Product box", {} };
    {
        SteppedClock clock;
        ProductBoxFakeButton productBox;
        auto& ticker = productBox.getTicker();
        ticker.setClock (clock.source());
        box.cells.push_back ({ "value 1.0 (x = -315)", render (productBox) });
        ticker.start();
        ticker.timerCallback();
        clock.setMs (225);
        ticker.timerCallback();
        box.cells.push_back ({ "value 0.5 (x = -420)", render (productBox) });
        clock.setMs (700);
        ticker.timerCallback();
        box.cells.push_back ({ "finished (x = -525)", render (productBox) });
    }
    rows.push_back (box);

    Row screens{ "Six-button bar on a screen; alert window with round editors", {} };
    {
        juce::Component screen;
        screen.setSize (785, 480);
        BulkButtonBar barOfSix;
        barOfSix.createButtons (&screen, nullptr);
        barOfSix.setButtonStates (1, 2, 1, 1, 0, 1);
        barOfSix.layoutButtons();

        auto backdrop = ResourceArchive::getInstance().decodeImage ("Art/backdrop_screen_blank.png");
        auto shot = draw (785, 480, [&] (juce::Graphics& g)
                          {
            g.drawImageAt (backdrop, 0, 0);
            screen.paintEntireComponent (g, true); });
        screens.cells.push_back ({ "codes 1, 2, 1, 1, 0, 1", shot });

        ScopedDefaultColours restoreAlertColours ({ juce::AlertWindow::backgroundColourId, juce::AlertWindow::textColourId });
        auto& lf = juce::LookAndFeel::getDefaultLookAndFeel();
        lf.setColour (juce::AlertWindow::backgroundColourId, juce::Colours::black);
        lf.setColour (juce::AlertWindow::textColourId, juce::Colour (0xffc6fdfe));

        PluginManagerAlertWindow alert ("New Folder", "Type the name of the new folder.", juce::MessageBoxIconType::NoIcon);
        alert.addTextEditor ("name", "Plug-ins", "Folder name:");
        alert.addTextEditor ("second", "", "Second field:");
        alert.addButton ("OK", 1);
        alert.addButton ("Cancel", 0);
        alert.setVisible (true);

        if (auto* second = alert.getTextEditor ("second"))
            takeKeyboardFocus (*second, 2000);

        screens.cells.push_back ({ "alert window", alert.createComponentSnapshot (alert.getLocalBounds()) });
        alert.setVisible (false);
    }
    rows.push_back (screens);

    // Every widget painted something.
    for (auto& row : rows)
        for (auto& cell : row.cells)
            EXPECT_GT (countPixels (cell.image, cell.image.getBounds(), [] (juce::Colour p)
                                    { return p.getAlpha() > 0; }),
                       0)
                << row.title << ": " << cell.caption;

    auto sheet = compose (rows);
    auto file = galleryFile();
    file.deleteFile();

    {
        juce::FileOutputStream out (file);
        ASSERT_TRUE (out.openedOk()) << file.getFullPathName();
        juce::PNGImageFormat png;
        ASSERT_TRUE (png.writeImageToStream (sheet, out));
    }

    auto reread = juce::ImageFileFormat::loadFrom (file);
    EXPECT_EQ (reread.getBounds(), sheet.getBounds());
    std::cout << "Widget gallery: " << file.getFullPathName() << std::endl;
}
