#pragma once

#include <juce_core/juce_core.h>

// Administrator rights for one run, and the commands run with them. A process that is already
// root runs the commands itself; any other asks once, through an elevation program (pkexec), for
// a privileged helper that then runs every command of the run. Commands are started from their
// argument vectors, never through a shell, one at a time.
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
    };

    ~PlatformAuthorization();

    // A reference for one run; null when the means of elevation are missing.
    static std::unique_ptr<PlatformAuthorization> create (const Options& options);
    static std::unique_ptr<PlatformAuthorization> create() { return create (Options{}); }

    // Asks for the right once (the elevation program's password prompt). True when granted.
    bool copyRights (const char* rightName, int flags);

    // Runs one of the tools with its arguments and waits for it to end. True only when the command
    // ran and succeeded (exit status 0); false when it failed, was refused (no rights, a command
    // the rules do not allow, an empty argument) or could not be started.
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

    bool startHelper();
    void stopHelper();

    Options options;
    bool runsDirectly = false;
    bool granted = false;
    bool freed = false;
    int helperPid = -1;
    int toHelper = -1, fromHelper = -1;
    juce::Array<juce::StringArray> commandLog;

    JUCE_DECLARE_NON_COPYABLE (PlatformAuthorization)
};
