#include <gtest/gtest.h>

#include "../widgets/WidgetTestSupport.h"
#include "RegistrationTestSupport.h"
#include "localisation/Languages.h"
#include "ui/screens/RegistrationForm.h"

using namespace RegistrationTestSupport;

namespace
{
struct Placement
{
    const char* name;
    juce::Rectangle<int> bounds;
};

void expectPlaced (juce::Component& page, std::initializer_list<Placement> placements)
{
    for (auto& [name, bounds] : placements)
    {
        auto* child = findNamed<juce::Component> (page, name);
        ASSERT_NE (child, nullptr) << name;
        EXPECT_EQ (child->getBounds(), bounds) << name;
        EXPECT_TRUE (child->isVisible()) << name;
    }
}

void expectCaptions (juce::Component& page, std::initializer_list<std::pair<const char*, const char*>> captions)
{
    for (auto& [name, text] : captions)
    {
        auto* label = findNamed<juce::Label> (page, name);
        ASSERT_NE (label, nullptr) << name;
        EXPECT_EQ (label->getText(), text) << name;
        EXPECT_EQ (label->getFont().getHeight(), 20.0f) << name;
        EXPECT_FALSE (label->getFont().isBold()) << name;
        EXPECT_EQ (label->getJustificationType(), juce::Justification::centredLeft) << name;
        EXPECT_FALSE (label->isEditableOnSingleClick() || label->isEditableOnDoubleClick()) << name;
    }
}

// The pages' editors all share one set-up; only the password character and the hint differ.
void expectEditor (RoundTextEditor& editor, bool password, const juce::String& hint)
{
    const auto name = editor.getName();
    EXPECT_FALSE (editor.isMultiLine()) << name;
    EXPECT_FALSE (editor.getReturnKeyStartsNewLine()) << name;
    EXPECT_FALSE (editor.isReadOnly()) << name;
    EXPECT_TRUE (editor.areScrollbarsShown()) << name;
    EXPECT_TRUE (editor.isCaretVisible()) << name;
    EXPECT_TRUE (editor.isPopupMenuEnabled()) << name;
    EXPECT_FALSE (editor.isOpaque()) << name;
    EXPECT_TRUE (editor.isEmpty()) << name;
    EXPECT_EQ (editor.getPasswordCharacter(), password ? (juce::juce_wchar) '*' : 0) << name;
    EXPECT_EQ (editor.getTextToShowWhenEmpty(), hint) << name;
}

// The focus that Tab moves through, starting at the first editor.
juce::StringArray tabOrder (juce::Component& first, int steps)
{
    juce::StringArray names;

    if (! WidgetTestSupport::takeKeyboardFocus (first))
        return names;

    for (int i = 0; i < steps; ++i)
    {
        auto* focused = juce::Component::getCurrentlyFocusedComponent();

        if (focused == nullptr)
            break;

        // A combo box gives the focus to nothing inside it; a button is named by its index.
        names.add (focused->getName().isNotEmpty() ? focused->getName() : focused->getParentComponent()->getName());
        focused->moveKeyboardFocusToSibling (true);
    }

    return names;
}
} // namespace

TEST (RegistrationPages, WidgetsAreNamedPlacedAndSetUpAlike)
{
    setLanguage (0);
    RegistrationWindow w;
    w.sendCode (ScreenCode::registrationFromWelcome);

    auto& page1 = w.page1();
    auto& page2 = w.page2();
    EXPECT_EQ (page1.getBounds(), juce::Rectangle<int> (0, 0, 785, 480));

    expectPlaced (page1, { { "emailLabel", { 106, 165, 250, 16 } },
                           { "email", { 107, 189, 250, 22 } },
                           { "emailConfLabel", { 106, 225, 250, 16 } },
                           { "emailConf", { 107, 249, 250, 22 } },
                           { "passwordLabel", { 106, 296, 250, 16 } },
                           { "password", { 107, 320, 250, 22 } },
                           { "passwordConfLabel", { 106, 356, 250, 16 } },
                           { "passwordConf", { 107, 380, 250, 22 } } });
    expectPlaced (page2, { { "firstnameLabel", { 106, 172, 250, 16 } },
                           { "firstname", { 107, 196, 250, 22 } },
                           { "surnameLabel", { 106, 230, 250, 16 } },
                           { "surname", { 107, 254, 250, 22 } },
                           { "companyLabel", { 106, 287, 250, 16 } },
                           { "company", { 107, 311, 250, 22 } },
                           { "addressLabel", { 425, 172, 250, 16 } },
                           { "address1", { 426, 196, 260, 22 } },
                           { "address2", { 426, 225, 260, 22 } },
                           { "address3", { 426, 254, 260, 22 } },
                           { "postcode", { 426, 283, 115, 22 } },
                           { "countries", { 428, 312, 167, 22 } } });

    expectCaptions (page1, { { "emailLabel", "Email address" }, { "emailConfLabel", "Confirm email" }, { "passwordLabel", "Password" }, { "passwordConfLabel", "Confirm password" } });
    expectCaptions (page2, { { "firstnameLabel", "First name" }, { "surnameLabel", "Last name" }, { "companyLabel", "Company (optional)" }, { "addressLabel", "Address" } });

    for (auto* name : { "email", "emailConf" })
        expectEditor (w.editor (page1, name), false, {});
    for (auto* name : { "password", "passwordConf" })
        expectEditor (w.editor (page1, name), true, {});
    for (auto* name : { "firstname", "surname", "company" })
        expectEditor (w.editor (page2, name), false, {});

    const std::pair<const char*, const char*> hints[] = { { "address1", "Street" }, { "address2", "City" }, { "address3", "State/County" }, { "postcode", "ZIP/Post code" } };
    for (auto& [name, hint] : hints)
        expectEditor (w.editor (page2, name), false, hint);

    // Back and next, nothing else, at the bar's places.
    for (auto* page : { &page1.getBar(), &page2.getBar() })
    {
        for (int i = 0; i < 6; ++i)
        {
            EXPECT_EQ (page->getButton (i)->isVisible(), i < 2) << i;
            EXPECT_EQ (page->getButton (i)->isEnabled(), i < 2) << i;
        }

        EXPECT_EQ (page->getButton (0)->getBounds(), juce::Rectangle<int> (18, 435, 34, 34));
        EXPECT_EQ (page->getButton (1)->getBounds(), juce::Rectangle<int> (739, 435, 34, 34));
    }

    // The hint shows in its own grey while the editor is empty and unfocused.
    auto& street = w.editor (page2, "address1");
    w.sendCode (ScreenCode::registrationPage2);
    auto picture = WidgetTestSupport::render (street);
    EXPECT_GT (WidgetTestSupport::countPixels (picture, picture.getBounds(), [] (juce::Colour c)
                                               { return WidgetTestSupport::isNear (c, hintTextColour, 12); }),
               10);
    EXPECT_EQ (hintTextColour, juce::Colour (0xff3d3d3d));
}

TEST (RegistrationPages, TabFollowsTheFormThenNextThenBack)
{
    setLanguage (0);
    RegistrationWindow w;
    w.window.toFront (true);

    w.sendCode (ScreenCode::registrationFromWelcome);
    w.page1().getBar().getButton (0)->setName ("back");
    w.page1().getBar().getButton (1)->setName ("next");
    EXPECT_EQ (tabOrder (w.editor (w.page1(), "email"), 7).joinIntoString (" "),
               "email emailConf password passwordConf next back email");

    w.sendCode (ScreenCode::registrationPage2);
    w.page2().getBar().getButton (0)->setName ("back");
    w.page2().getBar().getButton (1)->setName ("next");
    EXPECT_EQ (tabOrder (w.editor (w.page2(), "firstname"), 11).joinIntoString (" "),
               "firstname surname company address1 address2 address3 postcode countries next back firstname");

    const std::pair<const char*, int> orders[] = { { "firstname", 1 }, { "postcode", 7 }, { "countries", 8 } };
    for (auto& [name, order] : orders)
        EXPECT_EQ (findNamed<juce::Component> (w.page2(), name)->getExplicitFocusOrder(), order) << name;
    EXPECT_EQ (w.page2().getBar().getButton (1)->getExplicitFocusOrder(), 9);
    EXPECT_EQ (w.page2().getBar().getButton (0)->getExplicitFocusOrder(), 10);
}

TEST (RegistrationPages, PasswordsShowOneStarPerTypedCharacter)
{
    setLanguage (0);
    RegistrationWindow w;
    w.sendCode (ScreenCode::registrationFromWelcome);

    auto& password = w.editor (w.page1(), "password");
    w.type (w.page1(), "password", juce::String::fromUTF8 ("p&ss w\xc3\xa9rd"));
    EXPECT_EQ (password.getText(), juce::String::fromUTF8 ("p&ss w\xc3\xa9rd"));

    // The same editor showing stars as its text draws the same pixels.
    auto drawnAsText = [&] (int stars)
    {
        RoundTextEditor plain ("plain");
        plain.setMultiLine (false, true);
        plain.setScrollbarsShown (true);
        plain.setCaretVisible (false);
        plain.setBounds (password.getBounds());
        plain.setText (juce::String::repeatedString ("*", stars));
        return WidgetTestSupport::render (plain);
    };

    password.setCaretVisible (false);
    auto shown = WidgetTestSupport::render (password);
    EXPECT_EQ (password.getTotalNumChars(), 9);
    EXPECT_EQ (WidgetTestSupport::maxDifference (shown, drawnAsText (9)), 0);
    EXPECT_GT (WidgetTestSupport::maxDifference (shown, drawnAsText (8)), 0);
    EXPECT_GT (WidgetTestSupport::maxDifference (shown, drawnAsText (10)), 0);

    // The e-mail editor shows what is typed.
    w.type (w.page1(), "email", "abc");
    EXPECT_EQ (w.editor (w.page1(), "email").getText(), "abc");
    EXPECT_EQ (w.editor (w.page1(), "email").getPasswordCharacter(), 0);
}

TEST (RegistrationPages, CountryListIsTheFixedTableWithSelectShown)
{
    // Typed from the list the server expects, spelling and order as they are.
    const juce::StringArray expected = juce::StringArray::fromTokens (
        "--Select--|Afghanistan|Albania|Algeria|Angola|Antarctica|Argentina|Armenia|Aruba|Australia|Austria|"
        "Azerbaijan|Bahamas|Bahrain|Bangladesh|Belarus|Belgium|Belize|Bermuda|Bolivia|Bosnia Herzogovina|"
        "Botswana|Brazil|Bulgaria|Burundi|Cambodia|Cameroon|Canada|Catalonia|Cayman Islands|"
        "Central African Rep.|Chad|Chile|China|Colombia|Congo|Costa Rica|Croatia|Cuba|Cyprus|Czech Republic|"
        "Denmark|Dominica|Dominican Republic|Ecuador|Egypt|El Salvador|Estonia|Ethiopia|Finland|France|Gabon|"
        "Gambia|Georgia|Germany|Ghana|Gibraltar|Greece|Greenland|Guatemala|Haiti|Honduras|Hong Kong|Hungary|"
        "Iceland|India|Indonesia|Iran|Iraq|Ireland|Israel|Italy|Jamaica|Japan|Jordan|Kazakhstan|Kenya|"
        "Korea, North|Korea, South|Latvia|Lebanon|Liberia|Libya|Liechtenstein|Lithuania|Luxembourg|Macau|"
        "Macedonia|Madagascar|Malaysia|Malta|Mexico|Micronesia|Moldova|Monaco|Mongolia|Montserrat|Morocco|"
        "Mozambique|Nepal|Netherlands|New Caledonia|New Zealand|Nicaragua|Niger|Nigeria|Norway|Oman|Pakistan|"
        "Palau|Panama|Paraguay|Peru|Philippines|Poland|Portugal|Qatar|Romania|Russian Federation|Rwanda|Samoa|"
        "Saudi Arabia|Senegal|Sierra Leone|Singapore|Slovakia|Slovenia|Somalia|South Africa|Spain|Sri Lanka|"
        "Sudan|Swaziland|Sweden|Switzerland|Syria|Taiwan|Tajikistan|Tanzania|Thailand|Trinidad & Tobago|"
        "Tunisia|Turkey|Turkmenistan|Uganda|Ukraine|United Arab Emirates|United Kingdom|Uruguay|USA|"
        "Uzbekistan|Venezuela|Viet Nam|Virgin Islands (Br.)|Western Sahara|Yemen|Yugoslavia|Zaire|Zambia|"
        "Zimbabwe|Other",
        "|", "");
    ASSERT_EQ (expected.size(), 161);

    EXPECT_EQ (countryTable[countryTableSize - 1], "");
    for (int slot = 0; slot < 161; ++slot)
        EXPECT_EQ (countryTable[slot], expected[slot]) << slot;

    // Spanish captions, but the names untranslated.
    setLanguage (1);
    RegistrationWindow w;
    auto& box = w.countries();
    ASSERT_EQ (box.getNumItems(), 161);

    for (int i = 0; i < 161; ++i)
    {
        EXPECT_EQ (box.getItemText (i), expected[i]) << i;
        EXPECT_EQ (box.getItemId (i), i + 1) << i;
    }

    EXPECT_EQ (box.getSelectedItemIndex(), 0);
    EXPECT_EQ (box.getText(), "--Select--");
    EXPECT_FALSE (box.isTextEditable());
    EXPECT_TRUE (box.getWantsKeyboardFocus());
    EXPECT_NE (findNamed<juce::Label> (w.page2(), "firstnameLabel")->getText(), "First name");
    setLanguage (0);
}

TEST (RegistrationPages, ScreenCodesSetTheBackCodesAndShowThePages)
{
    setLanguage (0);
    RegistrationWindow w;
    auto& main = *w.main;

    EXPECT_FALSE (w.page1().isVisible());
    EXPECT_FALSE (w.page2().isVisible());
    EXPECT_EQ (w.page1().getPersonalDetailsPage(), nullptr);

    struct Case
    {
        int code, cancelCode, backCode;
    };

    for (auto [code, cancelCode, backCode] : { Case{ 3, 5, 3 }, Case{ 6, 9, 6 }, Case{ 7, 8, 7 } })
    {
        w.sendCode (ScreenCode::noScreen);
        w.sendCode (code);
        EXPECT_EQ (main.getCurrentScreen(), &w.page1()) << code;
        EXPECT_EQ (main.getTitleText(), "Registration Screen") << code;
        EXPECT_EQ (w.page1().getCancelCode(), cancelCode) << code;
        EXPECT_EQ (w.page2().getBackCode(), backCode) << code;
        EXPECT_EQ (w.page1().getPersonalDetailsPage(), &w.page2()) << code;

        // Back on page 1 sends the cancel code.
        w.recorder.codes.clear();
        w.pressBack (w.page1());
        EXPECT_EQ (w.recorder.codes, std::vector<int>{ cancelCode }) << code;

        // Code 4 shows page 2 and writes nothing into either page; its back button sends the
        // back code, which shows page 1 again with the same codes.
        w.sendCode (code);
        w.page2().setAccountPairs ("&email=kept");
        w.sendCode (ScreenCode::registrationPage2);
        EXPECT_EQ (main.getCurrentScreen(), &w.page2()) << code;
        EXPECT_FALSE (w.page1().isVisible()) << code;
        EXPECT_EQ (main.getTitleText(), "Registration Screen") << code;
        EXPECT_EQ (w.page2().getAccountPairs(), "&email=kept") << code;
        EXPECT_EQ (w.page2().getBackCode(), backCode) << code;

        w.recorder.codes.clear();
        w.pressBack (w.page2());
        EXPECT_EQ (w.recorder.codes, std::vector<int>{ backCode }) << code;
        EXPECT_EQ (main.getCurrentScreen(), &w.page1()) << code;
        EXPECT_EQ (w.page1().getCancelCode(), cancelCode) << code;
    }

    // The hidden quit and bulk buttons send nothing.
    w.recorder.codes.clear();
    for (int i = 3; i < 6; ++i)
        w.page1().buttonClicked (w.page1().getBar().getButton (i));
    TestEnvironment::runFor (50);
    EXPECT_TRUE (w.recorder.codes.empty());
}

TEST (RegistrationPages, PairsCarryEveryEntryWholeAndEscaped)
{
    setLanguage (0);
    RegistrationWindow w;

    // Page 1 with nothing typed: every name, nothing after its "=".
    EXPECT_EQ (w.page1().buildAccountPairs(), "&email=&emailconf=&password=&passwordconf=");
    EXPECT_EQ (w.page2().buildPersonalPairs(), "&first_name=&last_name=&company=&address_1=&address_2=&address_3=&postcode=&country=");

    const std::pair<const char*, const char*> countries[] = {
        { "--Select--", "" },
        { "Other", "Other" },
        { "Korea, South", "Korea%2c%20South" },
        { "Trinidad & Tobago", "Trinidad%20%26%20Tobago" },
        { "Virgin Islands (Br.)", "Virgin%20Islands%20(Br.)" },
    };

    for (auto& [country, sent] : countries)
    {
        w.chooseCountry (country);
        EXPECT_EQ (w.countries().getText(), country);
        EXPECT_TRUE (w.page2().buildPersonalPairs().endsWith (juce::String ("&postcode=&country=") + sent)) << country;
    }

    // Blanks at either end and tabs are kept; every byte outside the safe set is escaped.
    w.type (w.page2(), "company", juce::String::fromUTF8 ("\t a+b=c&d/e_f-g.h*i!j'k(l)m~n\xe2\x82\xac "));
    EXPECT_TRUE (w.page2().buildPersonalPairs().contains ("&company=%09%20a%2bb%3dc%26d%2fe_f-g.h*i!j'k(l)m%7en%e2%82%ac%20&address_1="));
}
