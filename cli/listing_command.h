#pragma once
// The listing and the curve as pulsakor-cli prints them: parameters in, text
// or a rejection out.

#include "cli/options.h"

#include "generator/servo_parameters.h"

#include <QByteArray>
#include <QChar>
#include <QString>


namespace cli {

struct CommandOutcome {
    ExitCode exitCode = ExitSuccess;
    /// The text for stdout (CR LF line ends kept).
    QString output;
    /// The German message for stderr, empty on success.
    QString error;
};

/// Reads the field texts, orders the end stops, builds the table and its
/// listing. A rejected field or table gives ExitRejected, an empty output and
/// the German message naming the field or the table entry.
CommandOutcome RunListing(const generator::ParameterTexts &texts, QChar decimalSeparator);

/// The SVG curve of the table for `texts` (UTF-8), or empty when a field or
/// the table is rejected.
QByteArray CurveFor(const generator::ParameterTexts &texts, QChar decimalSeparator);

} // namespace cli
