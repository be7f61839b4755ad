#pragma once
// The end of the run's log: the parameter summary appended after the
// assembler's messages, and the log shown above the listing.

#include "generator/servo_parameters.h"

#include <QChar>
#include <QString>

#include <optional>

namespace generator {

/// Seven lines, each followed by CR LF: an empty line, 43 "=", then supply,
/// minimum and maximum end-stop voltage ("0.00 Volt") and the two pulse
/// widths ("0.00 ms") of the ordered parameters, each after a 34-character
/// label.
QString RunSummaryText(const ServoParameters &ordered, QChar decimalSeparator);

/// Appends RunSummaryText() in the system encoding to `logPath`, creating the
/// log when it is missing. False with a German `error` naming the file.
bool AppendRunSummary(const QString &logPath, const ServoParameters &ordered,
                      QChar decimalSeparator, QString *error = nullptr);

/// The new text of the listing view: every line of `logText` (ending at
/// CR LF or a lone CR) followed by CR LF, then CR LF, then `previousText`.
QString RunLogView(const QString &logText, const QString &previousText);

/// Reads the log (system encoding) and returns RunLogView() of it, or nullopt
/// with a German `error` naming the file. Reads no more than the assembler's
/// output limit and room for the run's own lines.
std::optional<QString> ShowRunLog(const QString &logPath, const QString &previousText,
                                  QString *error = nullptr);

} // namespace generator
