#pragma once
// What the main window's browse buttons, tray handlers and System, Service and Help commands do,
// given what each needs; the window's handlers only pass their fields and windows in.

#include <QString>
#include <optional>
#include <string>

class QWidget;
class TJvTrayIcon;

// Hides the program in the notification area and shows the icon there.
void HideInTray(TJvTrayIcon& tray);
// Brings the program back, removes the icon and lets the window repaint.
void BackFromTray(TJvTrayIcon& tray);

// The source fields a browse fills: folder and file (or "*.*" for the whole folder).
struct TSourceFields {
    QString folder;
    QString file;
};
// Each asks the user; when nothing is chosen it says so and returns nothing.
std::optional<TSourceFields> BrowseSourceFolder(QWidget* owner);
std::optional<TSourceFields> BrowseSourceFile(QWidget* owner);

// Starts the administrator tool with the quoted program path and ends the program at once, or
// names the missing tool and goes on.
void RunAsAdministrator(const std::string& programPath);
// Shortcuts named after the program file; nothing is reported either way. Linux: an entry for each file manager found
// (SendToEntries.h).
void AddToSendTo(const std::string& programPath);
void PutShortcutOnDesktop(const std::string& programPath);
void StartSendToEditor();
// Opens the help page, or names the missing page, or says that nothing could open it.
void OpenHelp();
// Shows a window of the program without making it modal.
void ShowWithoutModality(QWidget& window);
