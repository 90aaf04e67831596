#pragma once

#include <juce_core/juce_core.h>

// Built-in addresses of the maker's server. Every request appends "?ACTION=" and its name to
// serverRequestUrl; archives are fetched below repositoryBaseUrl by plain concatenation.
extern const juce::String& serverRequestUrl;
extern const juce::String& repositoryBaseUrl;

// For tests only, before any request is made: points both addresses at another origin (scheme,
// host and port), so that every test run can use a stand-in server on a free port of its own.
void useServerOriginForTests (const juce::String& origin);

// The program's version as shown to the customer: "3.22".
juce::String getVersionText();

// The licence agreement shown on first start.
extern const juce::String eulaText;

juce::String getEulaText();

// Does nothing and reports false; the product status screen calls it before a manual rebuild.
bool beginCatalogueRefresh();
