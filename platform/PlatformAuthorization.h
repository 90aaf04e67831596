#pragma once

#include "platform/PrivilegedPlaces.h"

#include <juce_core/juce_core.h>

// Administrator rights for one run, and the commands run with them. The rights are asked for the
// folders the run will act in (its places) and reach nothing else. A process that is already root
// carries the commands out itself; any other asks once, through an elevation program (pkexec),
// for a privileged helper that then carries out every command of the run. Either way the same
// code holds the places open and acts relative to them (PrivilegedPlaces), one command at a time.
class PlatformAuthorization final
{
public:
    static constexpr const char* adminRight = "system.privilege.admin";
    static constexpr int flagInteractionAllowed = 1;
    static constexpr int flagExtendRights = 2;
    static constexpr int flagPreAuthorize = 16;
    static constexpr int flagDestroyRights = 8;

    struct Options
    {
        juce::String elevationProgram{ "/usr/bin/pkexec" };
        juce::String helperProgram;      // empty: the helper beside this executable
        bool runDirectlyWhenRoot = true; // false makes a root process elevate too
        juce::String temporaryFolder;    // the only folder moves come from; empty: none
    };

    ~PlatformAuthorization();

    // A reference for one run; null when the means of elevation are missing.
    static std::unique_ptr<PlatformAuthorization> create (const Options& options);
    static std::unique_ptr<PlatformAuthorization> create() { return create (Options{}); }

    // Asks once for the right over the places (the elevation program's password prompt names
    // them). True when granted and every place is held; false when a place is refused.
    bool copyRights (const char* rightName, int flags, const juce::StringArray& places);

    // Carries out one of the tools' commands in the places and waits for it to end. True only
    // when it succeeded; false when it failed or was refused (no rights, a command of another
    // shape or outside the places, an empty argument).
    bool executeWithPrivileges (const juce::String& toolPath, const juce::StringArray& arguments);

    // Ends the helper; with flagDestroyRights the rights cannot be used again.
    void free (int flags);

    bool hasRights() const noexcept { return granted; }

    // Every command started, tool first, for the run's record.
    const juce::Array<juce::StringArray>& getCommandLog() const noexcept { return commandLog; }

    // The tools a privileged command may be.
    static bool isAllowedTool (const juce::String& toolPath);

    static juce::String getHelperName() { return "quorvelan-privileged-helper"; }

private:
    explicit PlatformAuthorization (const Options& options);

    bool startHelper (const juce::StringArray& places);
    void stopHelper();

    Options options;
    bool runsDirectly = false;
    bool granted = false;
    bool freed = false;
    int helperPid = -1;
    int toHelper = -1, fromHelper = -1;
    juce::Array<juce::StringArray> commandLog;
    std::unique_ptr<PrivilegedPlaces> places;

    JUCE_DECLARE_NON_COPYABLE (PlatformAuthorization)
};
