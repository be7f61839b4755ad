#pragma once
// What the operating system tells the tool at start: folders, the default
// assembler and the user's number settings; and how the process's standard
// output carries bytes.

#include "platform/text_encoding.h"

#include <QChar>
#include <QString>
#include <QStringList>

namespace platform {

/// The folder of "pulsakor.ini", ending with the folder separator.
/// Windows: the "temp" variable (looked up ignoring case) with "\" appended,
/// "c:\" when it is missing or empty. Linux: the user's own configuration
/// folder (~/.config/pulsakor/), never a shared folder such as /tmp, where
/// another account could plant an assembler path. Created on first write.
QString SettingsFolder();

/// The Windows rule for the settings folder, from the value of "temp".
QString SettingsFolderFromTemp(const QString &tempValue);

/// The process's current directory with native separators, without a
/// trailing separator unless it is a root.
QString CurrentFolder();

/// Windows: avra.exe beside the program where it is there, otherwise the
/// vendor assembler's usual place. Linux: "avra" found on PATH
/// (normally /usr/bin/avra), or /usr/bin/avra when PATH does not have it.
QString DefaultAssemblerPath();

/// The name of the assembler that comes with this platform ("avra.exe" /
/// "avra").
QString AssemblerProgramName();

/// The avrdude that programs the chip. Windows: avrdude.exe beside the
/// program. Linux: "avrdude" found on PATH, or /usr/bin/avrdude when PATH
/// does not have it.
QString DefaultAvrdudePath();

/// `path` as a program to start from any folder: a bare name that is no file
/// in the current folder looked up on PATH ("avrdude", "avra"), any other
/// relative path made absolute against the current folder, native
/// separators. An absolute path comes back as it is.
QString ProgramPath(const QString &path);

/// The teach-in firmware's HEX file, with native separators: einlernen.hex
/// beside the running program (the build tree and Windows), else
/// <program folder>/../share/pulsakor/examples/einlernen.hex (installed on
/// Linux); empty when neither is there.
QString TeachInFirmwarePath();

/// The same for a program in `programFolder`.
QString TeachInFirmwarePathFor(const QString &programFolder);

/// The decimal separator of the user's number settings (LC_ALL, LC_NUMERIC,
/// LANG on Linux; the regional settings on Windows).
QChar DecimalSeparator();

/// The program's arguments after its name, twice: as texts in `encoding`
/// (so a field text comes back byte for byte) and as file names the way the
/// file system spells them (UTF-8 on Linux whatever the locale). Windows
/// hands both over whole from the wide command line, so no character
/// outside the ANSI code page turns into "?".
struct ProgramArguments {
    QStringList texts;
    QStringList fileNames;
};
ProgramArguments ReadProgramArguments(int argc, char *argv[], const TextEncoding &encoding);

/// Makes the standard output pass bytes through unchanged. Windows would
/// otherwise turn every LF into CR LF, so a CR LF line ended in CR CR LF.
/// Nothing to do on Linux.
void UseBinaryStandardOutput();

/// The encoding of messages on standard error when it is not a console:
/// on Windows the console's code page, elsewhere the locale's encoding.
TextEncoding StandardErrorEncoding();

/// Writes a message for the user to standard error. A Windows console gets
/// it as text, so umlauts show whatever the console's code page. False
/// when not all of it arrived.
bool WriteToStandardError(const QString &text);

} // namespace platform
