#pragma once

#include <QString>

namespace generator {

/// The name test on the bare file name that the file look-up returned for the
/// template path (empty when the path designates no file): passes when the
/// 1-based position of the first ".asm" times that of the first "servo" is
/// exactly 8, so "servo07.asm" and "servo07.asm.bak" pass, "Servo07.asm",
/// "servo7.asm" and "" fail. Case-sensitive.
bool CheckTemplateName(const QString &fileName);

/// The message shown when the template check fails (title "Fataler Fehler...").
QString TemplateMissingMessage();

} // namespace generator
