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
    /// The template name, a field or the correction table was rejected
    /// (nothing written).
    ExitRejected = 1,
    /// The command line could not be understood.
    ExitBadUsage = 2,
    /// The assembler is missing or failed, or its HEX file lacks the table.
    ExitAssemblerFailed = 3,
    /// A file or standard output could not be read or written, or the
    /// target would overwrite the template.
    ExitFileFailed = 4,
    /// The chip was not programmed (--programmer): no avrdude, no answer
    /// from the programmer, another chip, a byte that did not verify,
    /// avrdude hung or printed without end, or it was interrupted; with
    /// --read-end-stops, the chip could not be read for the same reasons.
    ExitNotProgrammed = 5,
    /// The chip answered but holds no end stops taught, or a damaged
    /// result (--read-end-stops).
    ExitNothingTaught = 6,
};

/// What --template, --out, --assembler and --delete-asm ask for: the whole
/// generation run instead of the listing alone.
struct RunRequest {
    /// The template file.
    QString templatePath;
    /// The answer to the save dialog: the target file, as given.
    QString targetPath;
    /// The assembler program; the platform's default when not given.
    std::optional<QString> assemblerPath;
    /// --delete-asm: the assembler source is deleted after the run.
    bool deleteSource = false;
};

/// What --programmer, --port, --baud, --avrdude and --calibration-eeprom
/// ask for: programming the chip through avrdude.
struct ProgrammingOptions {
    QString programmer;
    /// Empty: avrdude's default port for the programmer.
    QString port;
    std::optional<int> baudRate;
    /// The avrdude program; the platform's default when not given.
    std::optional<QString> avrdudePath;
    /// The calibration byte's EEPROM address; none for --calibration-eeprom
    /// none.
    std::optional<int> calibrationAddress = 0;
};

struct Options {
    /// The six field texts as typed; the window's defaults unless given.
    generator::ParameterTexts texts = generator::DefaultParameterTexts();
    /// The separator of the "0.00" numbers; the user's locale when not given.
    std::optional<QChar> decimalSeparator;
    /// Set when --template and --out are given.
    std::optional<RunRequest> run;
    /// --plot: where the curve of the table goes; "-" is standard output.
    std::optional<QString> plotPath;
    /// Set with --programmer: the chip is programmed after the run, or with
    /// the HEX file of --flash.
    std::optional<ProgrammingOptions> programming;
    /// --flash: the existing HEX file to program, instead of a run.
    std::optional<QString> flashPath;
    /// --teach-in: program the teach-in firmware, instead of a run.
    bool teachIn = false;
    /// --read-end-stops: print what the teach-in firmware measured as
    /// --end1 and --end2, instead of a run.
    bool readEndStops = false;
    bool help = false;
    bool version = false;
};

struct UsageError {
    /// One line without line end.
    QString message;
};

/// Parses the arguments after the program name. "--help" anywhere wins over
/// everything else, then "--version"; an option given twice, an unknown option, a missing or
/// (for a path) empty value, a value after --delete-asm, a stray argument or
/// a separator that is not exactly one printable character other than a
/// digit, a sign or a blank is a UsageError. So is
/// --template without --out or the other way round, --assembler or
/// --delete-asm without both, and an --out that ends with a folder separator.
/// --programmer needs --template and --out, --flash, --teach-in or
/// --read-end-stops; --port, --baud, --avrdude and --calibration-eeprom need
/// --programmer; --flash, --teach-in and --read-end-stops exclude each other,
/// need --programmer and take no option of a run or of the table, except
/// --calibration-eeprom (--flash, --teach-in) and --supply
/// (--read-end-stops), and --teach-in no --calibration-eeprom of 1 to 3,
/// where its firmware keeps the result; a --baud that is not a positive
/// number and a --calibration-eeprom other than 0..63 or "none" are refused.
/// `fileNameArguments`, when given, are the same arguments decoded as file
/// names; the values of --template, --out, --assembler and --plot are taken
/// from them, so a name reaches the file system byte for byte whatever the
/// locale's text encoding.
std::variant<Options, UsageError> ParseOptions(const QStringList &arguments,
                                               const QStringList &fileNameArguments = {});

/// The usage text, lines ending with "\n".
QString UsageText();

/// "pulsakor-cli <version>" and "\n".
QString VersionText();

} // namespace cli
