#include "ui/screens/RegistrationForm.h"

#include "catalogue/ReplyEnvelope.h"
#include "catalogue/ServerRequest.h"
#include "services/InfoAlert.h"
#include "services/ProgramQuit.h"
#include "ui/widgets/ProgramFonts.h"

const juce::Colour hintTextColour (0xff3d3d3d);

const juce::String countryTable[countryTableSize] = {
    "--Select--",
    "Afghanistan", "Albania", "Algeria", "Angola", "Antarctica", "Argentina", "Armenia", "Aruba",
    "Australia", "Austria", "Azerbaijan", "Bahamas", "Bahrain", "Bangladesh", "Belarus", "Belgium",
    "Belize", "Bermuda", "Bolivia", "Bosnia Herzogovina", "Botswana", "Brazil", "Bulgaria", "Burundi",
    "Cambodia", "Cameroon", "Canada", "Catalonia", "Cayman Islands", "Central African Rep.", "Chad",
    "Chile", "China", "Colombia", "Congo", "Costa Rica", "Croatia", "Cuba", "Cyprus", "Czech Republic",
    "Denmark", "Dominica", "Dominican Republic", "Ecuador", "Egypt", "El Salvador", "Estonia",
    "Ethiopia", "Finland", "France", "Gabon", "Gambia", "Georgia", "Germany", "Ghana", "Gibraltar",
    "Greece", "Greenland", "Guatemala", "Haiti", "Honduras", "Hong Kong", "Hungary", "Iceland", "India",
    "Indonesia", "Iran", "Iraq", "Ireland", "Israel", "Italy", "Jamaica", "Japan", "Jordan",
    "Kazakhstan", "Kenya", "Korea, North", "Korea, South", "Latvia", "Lebanon", "Liberia", "Libya",
    "Liechtenstein", "Lithuania", "Luxembourg", "Macau", "Macedonia", "Madagascar", "Malaysia", "Malta",
    "Mexico", "Micronesia", "Moldova", "Monaco", "Mongolia", "Montserrat", "Morocco", "Mozambique",
    "Nepal", "Netherlands", "New Caledonia", "New Zealand", "Nicaragua", "Niger", "Nigeria", "Norway",
    "Oman", "Pakistan", "Palau", "Panama", "Paraguay", "Peru", "Philippines", "Poland", "Portugal",
    "Qatar", "Romania", "Russian Federation", "Rwanda", "Samoa", "Saudi Arabia", "Senegal",
    "Sierra Leone", "Singapore", "Slovakia", "Slovenia", "Somalia", "South Africa", "Spain",
    "Sri Lanka", "Sudan", "Swaziland", "Sweden", "Switzerland", "Syria", "Taiwan", "Tajikistan",
    "Tanzania", "Thailand", "Trinidad & Tobago", "Tunisia", "Turkey", "Turkmenistan", "Uganda",
    "Ukraine", "United Arab Emirates", "United Kingdom", "Uruguay", "USA", "Uzbekistan", "Venezuela",
    "Viet Nam", "Virgin Islands (Br.)", "Western Sahara", "Yemen", "Yugoslavia", "Zaire", "Zambia",
    "Zimbabwe",
    "Other",
    ""
};

namespace RegistrationForm
{
juce::String makePair (const char* name, const juce::String& value)
{
    return juce::String ("&") + name + "=" + ServerRequest::escapeValue (value);
}

juce::String getCountryValue (const juce::String& chosenText)
{
    return chosenText == countryTable[0] ? juce::String() : chosenText;
}

std::unique_ptr<juce::Label> addCaption (juce::Component& page, const char* name, const char* key)
{
    auto caption = std::make_unique<juce::Label> (name, juce::translate (key));
    page.addAndMakeVisible (*caption);
    caption->setFont (ProgramFonts::getFont ("Arial", 20.0f, juce::Font::plain));
    caption->setJustificationType (juce::Justification::centredLeft);
    caption->setEditable (false, false, false);

    // A 20-point caption is taller than its 16-pixel row: let descenders show below the row
    // instead of being cut off. Nothing else is drawn in the gap under a caption.
    caption->setPaintingIsUnclipped (true);
    return caption;
}

std::unique_ptr<RoundTextEditor> addEditor (juce::Component& page, const char* name)
{
    auto editor = std::make_unique<RoundTextEditor> (name);
    page.addAndMakeVisible (*editor);
    editor->setMultiLine (false, true);
    editor->setReturnKeyStartsNewLine (false);
    editor->setReadOnly (false);
    editor->setScrollbarsShown (true);
    editor->setCaretVisible (true);
    editor->setPopupMenuEnabled (true);
    editor->setText ({});
    return editor;
}

void actOnBarClick (ScreenCodeBroadcaster& page, const BulkButtonBar& bar, const juce::Button* button,
                    int backCode, const std::function<void()>& submit)
{
    switch (bar.indexOfButton (button))
    {
        case 0:
            page.sendScreenCode (backCode);
            break;
        case 1:
            submit();
            break;
        case 2:
            ProgramQuit::request();
            break;
        default:
            break;
    }
}

bool checkWithServer (const juce::String& action, const juce::String& pairs, const juce::String& errorsTitleKey)
{
    juce::String errors;

    {
        auto reply = ServerRequest (action).withEncodedParameters (pairs).readXml();
        auto outcome = ReplyEnvelope::check (reply.get());

        if (outcome == ReplyEnvelope::Outcome::ok)
            return true;

        if (outcome == ReplyEnvelope::Outcome::refused)
            errors = ReplyEnvelope::buildErrorMessage (*reply);
    }

    if (errors.isNotEmpty())
        InfoAlert::show (errorsTitleKey, errors);
    else
        InfoAlert::show ("MSG_COMMUNICATION_ERROR", "MSG_COMMUNICATION_ERROR_TEXT");

    return false;
}
} // namespace RegistrationForm
