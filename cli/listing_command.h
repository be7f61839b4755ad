#pragma once
// The listing as pulsakor-cli prints it: parameters in, text or a rejection out.

#include "cli/options.h"

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

} // namespace cli
