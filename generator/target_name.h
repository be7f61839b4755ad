#pragma once
// Choosing the target: the proposed "servo000".."servo999" name, the dialog's
// filter and the base name of every output file.

#include <QString>

#include <functional>

namespace generator {

/// Check1's value 1 (ticked) and nothing else sets the delete-ASM flag;
/// 0 and the greyed 2 do not.
bool IsDeleteAsmFlag(int checkValue);

/// ".hex" when the delete-ASM flag is set, otherwise ".asm".
QString TargetExtension(bool deleteAsm);

/// "Servo-Zieldatei|servo???.asm" or, with the flag, "...|servo???.hex".
QString TargetFilter(bool deleteAsm);

/// The save dialog's title.
QString TargetDialogTitle();

/// The first of "servo000" .. "servo999" plus the flag's extension for which
/// `exists(workFolder + name)` is false; "servo999" plus the extension when
/// all are taken. Only the extension in use is probed. Returns the bare name.
QString ProposeTargetName(const QString &workFolder, bool deleteAsm,
                          const std::function<bool(const QString &)> &exists);

/// The base to which "asm", "hex", "log", ... are appended: `path` up to and
/// including the last dot of its file name, or `path` + "." when the file
/// name has no dot. "D:\Projekt\servo123.hex" gives "D:\Projekt\servo123.",
/// "/daten/probe" gives "/daten/probe.".
QString TargetBase(const QString &path);

} // namespace generator
