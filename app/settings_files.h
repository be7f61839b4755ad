#pragma once
// The two settings files that carry the window's state to the next start.
//
// "pulsakor.ini" in SettingsFolder, five lines: the template path (Label3),
// the assembler path (Label5), TemplateFolder, WorkFolder and Check1's value
// as blank, digits, blank. "pulsakor.cfg" in WorkFolder, six lines: the texts
// of Text1(0) to Text1(5) as typed. Both files are in the system's 8-bit
// encoding, CR LF after every line; a reader also ends a line at a lone CR.
//
// Nothing is ever reported for these files: a missing or unreadable file
// leaves the window as it is, and a file that cannot be written is skipped.

#include "app/window_model.h"

#include <QString>

namespace app {

/// File names inside their folders.
inline constexpr QLatin1String kSettingsFileName{"pulsakor.ini"};
inline constexpr QLatin1String kParametersFileName{"pulsakor.cfg"};

/// Writes "pulsakor.cfg" into WorkFolder from Text1(0..5), replacing the
/// whole file in one step.
void SaveParameters(const WindowModel &window);

/// Writes "pulsakor.ini" into SettingsFolder (creating the folder when it is
/// missing) from Label3, Label5, TemplateFolder, WorkFolder and Check1.
void SaveSettings(const WindowModel &window);

/// Reads "pulsakor.ini" from SettingsFolder when it exists. Line 1 and 2
/// replace Label3 and Label5 only when they name an existing file; lines 3
/// and 4 replace the folders as they stand; line 5 sets Check1 when it holds
/// an integer 0..2. A line that the file does not have changes nothing.
void LoadSettings(WindowModel &window);

/// Reads "pulsakor.cfg" from WorkFolder when it exists into Text1(0..5);
/// fields without a line in the file keep their texts.
void LoadParameters(WindowModel &window);

/// Check1's value from line 5: an integer 0..2, blanks around it ignored;
/// -1 for anything else.
int CheckValueFromLine(const QString &line);

} // namespace app
