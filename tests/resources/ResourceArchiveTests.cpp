#include <gtest/gtest.h>

#include "resources/ResourceArchive.h"

namespace
{
struct Picture
{
    const char* name;
    int width, height;
};

const Picture pictures[] = {
    { "Art/back_icon.png", 43, 43 },
    { "Art/backdrop_screen_blank.png", 785, 480 },
    { "Art/backdrop_screen_logo.png", 785, 480 },
    { "Art/blue_box_languages.png", 785, 480 },
    { "Art/close_icon.png", 43, 43 },
    { "Art/download_1.png", 204, 204 },
    { "Art/download_2.png", 204, 204 },
    { "Art/download_3.png", 204, 204 },
    { "Art/existing_1.png", 204, 204 },
    { "Art/existing_2.png", 204, 204 },
    { "Art/existing_3.png", 204, 204 },
    { "Art/forgotten_password_screen.png", 785, 480 },
    { "Art/install_all.png", 133, 29 },
    { "Art/install_icon.png", 43, 43 },
    { "Art/login_screen_boxes.png", 785, 480 },
    { "Art/next.png", 43, 43 },
    { "Art/next_icon.png", 43, 43 },
    { "Art/register_box_1.png", 204, 204 },
    { "Art/register_box_2.png", 204, 204 },
    { "Art/register_box_3.png", 204, 204 },
    { "Art/registration_screen_1_boxes.png", 785, 480 },
    { "Art/registration_screen_2_boxes.png", 785, 480 },
    { "Art/remove_all.png", 133, 29 },
    { "Art/settings_icon.png", 43, 43 },
    { "Art/shine_all.png", 133, 29 },
    { "Art/status_screen_box_overlay.png", 785, 480 },
    { "Art/trash_icon.png", 43, 43 },
    { "Art/trash_small.png", 26, 26 },
    { "Art/update_all.png", 133, 29 },
    { "Art/update_icon.png", 43, 43 },
    { "Art/x.png", 43, 43 },
};
} // namespace

TEST (ResourceArchive, HoldsExactlyTheArtworkAndTables)
{
    auto& zip = ResourceArchive::getInstance().getZipFile();

    juce::StringArray names;
    for (int i = 0; i < zip.getNumEntries(); ++i)
        names.add (zip.getEntry (i)->filename);
    names.sort (false);

    juce::StringArray expected{ "Art/", "Art/app_icon.ico", "Localisation/", "Localisation/english.csv", "Localisation/spanish.csv" };
    for (auto& p : pictures)
        expected.add (p.name);
    expected.sort (false);

    EXPECT_EQ (names, expected);
    EXPECT_EQ (juce::numElementsInArray (pictures), 31);
}

TEST (ResourceArchive, EveryPictureDecodesAtItsSize)
{
    for (auto& p : pictures)
    {
        auto image = ResourceArchive::getInstance().decodeImage (p.name);
        ASSERT_TRUE (image.isValid()) << p.name;
        EXPECT_EQ (image.getWidth(), p.width) << p.name;
        EXPECT_EQ (image.getHeight(), p.height) << p.name;
    }

    auto icon = ResourceArchive::getInstance().createStreamFor ("Art/app_icon.ico");
    ASSERT_NE (icon, nullptr);
    EXPECT_GT (icon->getTotalLength(), 1000);
}

TEST (ResourceArchive, NamesMatchExactly)
{
    auto& archive = ResourceArchive::getInstance();

    EXPECT_NE (archive.createStreamFor ("Art/x.png"), nullptr);
    EXPECT_EQ (archive.createStreamFor ("art/x.png"), nullptr);
    EXPECT_EQ (archive.createStreamFor ("Art/X.png"), nullptr);
    EXPECT_EQ (archive.createStreamFor ("x.png"), nullptr);
    EXPECT_EQ (archive.createStreamFor ("/Art/x.png"), nullptr);
    EXPECT_EQ (archive.createStreamFor ("Art/x.png "), nullptr);
    EXPECT_EQ (archive.createStreamFor (""), nullptr);
    EXPECT_FALSE (archive.decodeImage ("Art/missing.png").isValid());
    EXPECT_FALSE (archive.decodeImage ("Localisation/english.csv").isValid());

    // Two streams on one entry read independently.
    auto a = archive.createStreamFor ("Localisation/english.csv");
    auto b = archive.createStreamFor ("Localisation/english.csv");
    ASSERT_NE (a, nullptr);
    ASSERT_NE (b, nullptr);
    auto first = a->readString();
    EXPECT_EQ (b->readEntireStreamAsString().substring (0, 6), "\"OK\"=\"");
    EXPECT_TRUE (first.startsWith ("\"OK\""));
}
