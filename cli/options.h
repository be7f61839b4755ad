#pragma once
// The command line of pulsakor-cli, parsed into a plain record.

#include "generator/servo_parameters.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace cli {

/// The process exit status of pulsakor-cli.
enum ExitCode : int {
    ExitSuccess = 0,
    /// A field or the correction table was rejected, or the listing could not
    /// be written.
    ExitRejected = 1,
    /// The command line could not be understood.
    ExitBadUsage = 2,
};

struct Options {
    /// Text1(0) .. Text1(5) as typed; the design texts unless given.
    generator::ParameterTexts texts = generator::DefaultParameterTexts();
    /// The separator of the "0.00" numbers; the user's locale when not given.
    std::optional<QChar> decimalSeparator;
    bool help = false;
};

struct UsageError {
    /// One line, English, without line end.
    QString message;
};

/// Parses the arguments after the program name. "--help" anywhere wins over
/// everything else; an option given twice, an unknown option, a missing value,
/// a stray argument or a separator that is not exactly one character is a
/// UsageError.
std::variant<Options, UsageError> ParseOptions(const QStringList &arguments);

/// The usage text, lines ending with "\n".
QString UsageText();

} // namespace cli
