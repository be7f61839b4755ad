#pragma once
// Choosing the target: the proposed "servo000".."servo999" name, the dialog's
// filter and the base name of every output file.

#include <QString>

#include <functional>

namespace generator {

/// ".hex" when the source is to be deleted after the run (only the HEX file
/// stays to be named), otherwise ".asm".
QString TargetExtension(bool deleteSource);

/// "Servo-Zieldatei|servo???.asm" or, deleting the source, "...|servo???.hex".
QString TargetFilter(bool deleteSource);

/// The save dialog's title.
QString TargetDialogTitle();

/// The target proposal: the first of "servo000" .. "servo999" plus
/// TargetExtension(deleteSource) for which `exists(workFolder + name)` is
/// false; "servo999" plus the extension when all are taken. Only the
/// extension in use is probed. Returns the bare name.
QString ProposeTargetName(const QString &workFolder, bool deleteSource,
                          const std::function<bool(const QString &)> &exists);

/// The base to which "asm", "hex", "log", ... are appended: `path` up to and
/// including the last dot of its file name, or `path` + "." when the file
/// name has no dot. "D:\Projekt\servo123.hex" gives "D:\Projekt\servo123.",
/// "/daten/probe" gives "/daten/probe.".
QString TargetBase(const QString &path);

} // namespace generator
