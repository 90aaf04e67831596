#pragma once

#include "ui/screens/ScreenCodeBroadcaster.h"
#include "ui/widgets/BulkButtonBar.h"
#include "ui/widgets/RoundTextEditor.h"

#include <functional>

// Shown in the empty address editors of registration page 2.
extern const juce::Colour hintTextColour;

// The country list of registration page 2: "--Select--", the names, "Other", then an empty slot
// that ends the list. The names travel to the server exactly as written here.
constexpr int countryTableSize = 162;
extern const juce::String countryTable[countryTableSize];

// What the two registration pages share: their captions and editors, the request pairs, and the
// check requests with their alerts.
namespace RegistrationForm
{
// "&" + name + "=" + the escaped value; the value is taken whole, never trimmed.
juce::String makePair (const char* name, const juce::String& value);

// The value sent for the country list's text: "--Select--" sends nothing.
juce::String getCountryValue (const juce::String& chosenText);

// A caption in the page's caption font, added and shown, drawn whole although taller than its row.
std::unique_ptr<juce::Label> addCaption (juce::Component& page, const char* name, const char* key);

// A one-line form editor, empty, added and shown.
std::unique_ptr<RoundTextEditor> addEditor (juce::Component& page, const char* name);

// A click on a page's bar: back sends the page's back code, next submits, the (hidden) quit button
// quits; the bulk buttons do nothing.
void actOnBarClick (ScreenCodeBroadcaster& page, const BulkButtonBar& bar, const juce::Button* button,
                    int backCode, const std::function<void()>& submit);

// Sends the check on the message thread (with its bounded wait) and answers true when the server
// accepted the pairs. Otherwise shows the alert: the server's errors under the title key, or the
// communication error for no reply or any other answer.
bool checkWithServer (const juce::String& action, const juce::String& pairs, const juce::String& errorsTitleKey);
} // namespace RegistrationForm
