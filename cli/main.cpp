// pulsakor-cli: the correction table listing, or the whole generation run,
// without the window; or the chip alone: a HEX file programmed, the teach-in
// firmware programmed, the taught end stops read.

#include "cli/generation_command.h"
#include "cli/listing_command.h"
#include "cli/options.h"
#include "cli/programming_command.h"

#include "platform/environment.h"
#include "platform/files.h"
#include "platform/text_encoding.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

// Bytes out as they are: the listing's CR LF must reach the file unchanged.
// False when they did not all arrive (a full disk, a closed pipe).
bool Write(std::FILE *stream, const QByteArray &bytes)
{
    const size_t written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    const bool flushed = std::fflush(stream) == 0;
    return written == size_t(bytes.size()) && flushed && !std::ferror(stream);
}

// Messages are made for message boxes; on a terminal the line end is LF.
QString ForTerminal(QString message)
{
    message.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (!message.endsWith(u'\n'))
        message += u'\n';
    return message;
}

bool IsStandardOutput(const std::optional<QString> &plotPath)
{
    return plotPath && *plotPath == u'-';
}

// The picture to its file (replaced as a whole) or to stdout for "-".
bool WritePicture(const QString &plotPath, const QByteArray &svg, QString *error)
{
    if (plotPath != u'-')
        return platform::WriteFileAtomically(plotPath, svg, error);
    if (Write(stdout, svg))
        return true;
    *error = QStringLiteral("Das Bild konnte nicht ausgegeben werden.");
    return false;
}

// The curve after a whole run. The path is checked again now that the run's
// files exist, which catches a link to one of them or another spelling of
// its name as well. Returns the message of a failure.
std::optional<QString> PlotBesideRun(const cli::Options &options, QChar separator)
{
    if (!IsStandardOutput(options.plotPath)) {
        if (auto refusal = cli::PlotPathRefusal(*options.plotPath, *options.run))
            return refusal;
    }
    QString error;
    if (!WritePicture(*options.plotPath, cli::CurveFor(options.texts, separator), &error))
        return error;
    return std::nullopt;
}

// The curve's path, checked before the run so that a refused one touches
// nothing, then the run, the curve beside it and the log on stdout.
int CarryOutRun(const cli::Options &options, QChar separator)
{
    // Messages as they come, so a slow assembler does not hide them.
    const cli::MessageSink toStderr = [](const QString &message) {
        platform::WriteToStandardError(ForTerminal(message));
    };
    if (options.plotPath && !IsStandardOutput(options.plotPath)) {
        if (const auto refusal = cli::PlotPathRefusal(*options.plotPath, *options.run)) {
            toStderr(*refusal);
            return cli::ExitFileFailed;
        }
    }
    const cli::GenerationOutcome outcome =
        cli::RunWholeGeneration(options.texts, *options.run, separator, toStderr);
    cli::ExitCode exitCode = outcome.exitCode;
    if (options.plotPath && outcome.tableAccepted) {
        if (const auto error = PlotBesideRun(options, separator)) {
            toStderr(*error);
            if (exitCode == cli::ExitSuccess)
                exitCode = cli::ExitFileFailed;
        }
    }
    // "--plot -" puts the picture where the log would go; the log stays in
    // its file.
    if (!IsStandardOutput(options.plotPath) && !outcome.log.isEmpty()
        && !Write(stdout, outcome.log)) {
        toStderr(QStringLiteral("Das Log konnte nicht ausgegeben werden."));
        return exitCode == cli::ExitSuccess ? cli::ExitFileFailed : exitCode;
    }
    // Only a run that ended well has a HEX file worth writing into a chip.
    if (options.programming && exitCode == cli::ExitSuccess)
        return cli::ProgramHexFile(outcome.hexPath, *options.programming, toStderr);
    return exitCode;
}

// The listing on stdout, the curve first when asked for: when it cannot be
// written, nothing is printed.
int PrintListing(const cli::Options &options, QChar separator,
                 const platform::TextEncoding &encoding)
{
    const cli::CommandOutcome outcome = cli::RunListing(options.texts, separator);
    if (outcome.exitCode != cli::ExitSuccess) {
        platform::WriteToStandardError(ForTerminal(outcome.error));
        return outcome.exitCode;
    }
    if (options.plotPath) {
        QString error;
        if (!WritePicture(*options.plotPath, cli::CurveFor(options.texts, separator), &error)) {
            platform::WriteToStandardError(ForTerminal(error));
            return cli::ExitFileFailed;
        }
        if (IsStandardOutput(options.plotPath))
            return cli::ExitSuccess;
    }
    if (!Write(stdout, encoding.Encode(outcome.output))) {
        platform::WriteToStandardError(
            QStringLiteral("Die Tabelle konnte nicht ausgegeben werden.\n"));
        return cli::ExitFileFailed;
    }
    return cli::ExitSuccess;
}

// The taught end stops as one line of options on stdout, so that
// $(pulsakor-cli --read-end-stops ...) hands them to a run; nothing there
// when they could not be read.
int PrintEndStops(const cli::Options &options, const cli::MessageSink &toStderr)
{
    const cli::EndStopsRead read = cli::ReadTaughtEndStops(
        *options.programming, options.texts[generator::SupplyVoltageField], toStderr);
    if (read.exitCode != cli::ExitSuccess)
        return read.exitCode;
    if (!Write(stdout, read.line)) {
        toStderr(QStringLiteral("Die Endlagen konnten nicht ausgegeben werden."));
        return cli::ExitFileFailed;
    }
    return cli::ExitSuccess;
}

} // namespace

int main(int argc, char *argv[])
{
    // The assembler is waited for in an event loop.
    QCoreApplication application(argc, argv);
    platform::UseBinaryStandardOutput();
    // The same encoding reads the arguments and writes the output, so a
    // field text comes back byte for byte in the PWM lines.
    const platform::TextEncoding encoding = platform::TextEncoding::System();
    // File names are decoded as the file system wants them, or "zielä.asm"
    // would be written as "zielÃ¤.asm" under the C locale.
    const platform::ProgramArguments arguments =
        platform::ReadProgramArguments(argc, argv, encoding);

    const auto parsed = cli::ParseOptions(arguments.texts, arguments.fileNames);
    if (const auto *usage = std::get_if<cli::UsageError>(&parsed)) {
        platform::WriteToStandardError(QStringLiteral("pulsakor-cli: ") + usage->message
                                       + QStringLiteral("\n\n") + cli::UsageText());
        return cli::ExitBadUsage;
    }
    const cli::Options &options = std::get<cli::Options>(parsed);
    if (options.help || options.version) {
        const QString text = options.help ? cli::UsageText() : cli::VersionText();
        if (Write(stdout, encoding.Encode(text)))
            return cli::ExitSuccess;
        platform::WriteToStandardError(
            QStringLiteral("Der Text konnte nicht ausgegeben werden.\n"));
        return cli::ExitFileFailed;
    }
    const cli::MessageSink toStderr = [](const QString &message) {
        platform::WriteToStandardError(ForTerminal(message));
    };
    if (options.flashPath)
        return cli::ProgramHexFile(*options.flashPath, *options.programming, toStderr);
    if (options.teachIn)
        return cli::ProgramTeachIn(*options.programming, toStderr);
    if (options.readEndStops)
        return PrintEndStops(options, toStderr);
    const QChar separator = options.decimalSeparator.value_or(platform::DecimalSeparator());
    if (options.run)
        return CarryOutRun(options, separator);
    return PrintListing(options, separator, encoding);
}
