#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The Windows program and its installer under wine, in the prefix that
// scripts/test-windows.sh prepared (KORVIST_WINE_MSI, KORVIST_WINE_SIM and
// WINEPREFIX name them; KORVIST_WINE_SIMCTL the simulated driver's control
// program, when the driver is installed in the prefix).
struct WineSetup
{
    QString msi;
    // An older release's installer, built from the same tree (KORVIST_WINE_OLDER_MSI).
    QString olderMsi;
    QString simulator;
    QString prefix;
    QString simctl;
    // The X display every wine program of the run uses: wine's desktop
    // process, which docks the tray icons, starts with the first of them.
    QString display;

    static WineSetup fromEnvironment();
    bool isComplete() const { return !msi.isEmpty() && !olderMsi.isEmpty() && !simulator.isEmpty() && !prefix.isEmpty(); }
    bool hasSimulatedDriver() const { return isComplete() && !simctl.isEmpty(); }

    // Where the installer puts the program, as a path on this side.
    QString installDir() const { return prefix + QStringLiteral("/drive_c/Program Files/Korvist Mixer"); }
    // The Start-menu entry, where it is (wine puts an all-users entry in the user's menu).
    bool hasStartMenuEntry() const;
    QString roamingDir() const;
    QString savedFilesDir() const { return roamingDir() + QStringLiteral("/KorvistDriver"); }
    QString installedProgram() const { return installDir() + QStringLiteral("/bin/KorvistDriver.exe"); }

    // The command line that runs a Windows program under wine; through a
    // pseudo-terminal, the only place wine lets a GUI program's log reach.
    QStringList command(const QStringList &windowsCommand) const;
    QProcessEnvironment environment(const QStringList &extra = {}) const;
    // Ends the prefix's programs and services, so that the next program
    // brings them up again on this run's display.
    bool restartSession() const;
    // Runs a Windows console command to its end; its exit code, or -1 when it hangs.
    int run(const QStringList &windowsCommand, QString *output = nullptr, int timeoutMs = 120000) const;
    // What an interactive cmd prompt in a folder shows after each line typed
    // in, up to its next prompt. Each line waits for the prompt, as a user does
    // (wine's cmd reads one line from a pipe and drops the rest).
    QStringList typeAtPrompt(const QString &folder, const QStringList &lines, int timeoutMs = 120000) const;
    // The data of a registry value, or an empty string where there is none.
    QString registryValue(const QString &key, const QString &name) const;
    // The version of each "Korvist Mixer" in the machine's list of installed programs.
    QStringList installedVersions() const;
};

// What a Windows program wrote to wine's terminal, without the terminal's
// control sequences (wine draws each character between cursor commands).
QString consoleText(const QString &terminalOutput);

// A Unix path as wine's Z: drive shows it.
QString windowsPath(const QString &unixPath);
