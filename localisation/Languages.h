#pragma once

#include <juce_core/juce_core.h>

// The two languages of the program, indexed alike in the three tables.
constexpr int numLanguages = 2;
extern const char* const languageCsvFiles[numLanguages];
extern const char* const languageLocaleIds[numLanguages];
extern const char* const languageNames[numLanguages];

// 0 (English) or 1 (Spanish); set at start, by setLanguage and by pickLanguage.
extern int currentLanguageIndex;

// The language to use at start: the one remembered in "local", else (no such file, or one that
// cannot be read) the one of the user's locale.
int chooseLanguage();

// The same choice given the locale identifier as the locale service copied it (null when the
// copy failed).
int chooseLanguageForLocale (const char* localeIdentifier);

// Chooses the language, installs its string table and rewrites "local", unless "local" exists
// but cannot be read: that file is left as it is.
void initLanguage();

// Switches to language 0 or 1 at run time and rewrites "local", unless "local" could not be read
// at start (see initLanguage).
void setLanguage (int index);

// The customer's pick in the language box: switches to language 0 or 1 and rewrites "local",
// replacing one that could not be read.
void pickLanguage (int index);

// Writes "local" for the current language.
void saveLanguage();

// Installs the string table of the language, when the archive has it, then rewrites "local".
void loadLanguageTable (int index);
