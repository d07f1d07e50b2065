#pragma once
// The program's help: HTML pages shipped in the folder "help" of the program folder, one for each
// window that has a Help menu, opened with the desktop's browser.
//
//   OpenHelpPage(kHelpSheet);   // the progress sheet's page; a missing page is told to the operator

#include <QString>

inline constexpr char kHelpStartWindow[] = "index.html";
inline constexpr char kHelpSettings[] = "settings.html";
inline constexpr char kHelpSheet[] = "sheet.html";
inline constexpr char kHelpTotals[] = "totals.html";
inline constexpr char kHelpBook[] = "book.html";
inline constexpr char kHelpAwardSheets[] = "award_sheets.html";
inline constexpr char kHelpRecordBook[] = "record_book.html";
inline constexpr char kHelpEntry[] = "entry.html";
inline constexpr char kHelpLogViewer[] = "log_viewer.html";

// The folder of the pages (Settings.HelpFilePath, set at start-up).
QString HelpFolder();
// Opens the page with the desktop's browser; a page that is not there, or that nothing opened, is
// named in a message. Hamlog.LastResult takes the shell's answer.
void OpenHelpPage(const char* page);
