#include "app/KestruneApplication.h"

START_JUCE_APPLICATION (KestruneApplication)
