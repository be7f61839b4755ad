// pulsakor-cli: the correction table listing, or the whole generation run,
// without the window.

#include "cli/generation_command.h"
#include "cli/listing_command.h"
#include "cli/options.h"

#include "platform/environment.h"
#include "platform/text_encoding.h"

#include <QCoreApplication>

#include <cstdio>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

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

} // namespace

int main(int argc, char *argv[])
{
    // The assembler is waited for in an event loop.
    QCoreApplication application(argc, argv);
#ifdef Q_OS_WIN
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    // The same encoding reads the arguments and writes the output, so a
    // field text comes back byte for byte in the PWM lines.
    const platform::TextEncoding encoding = platform::TextEncoding::System();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(encoding.Decode(QByteArray(argv[i])));

    const auto parsed = cli::ParseOptions(arguments);
    if (const auto *usage = std::get_if<cli::UsageError>(&parsed)) {
        Write(stderr, encoding.Encode(QStringLiteral("pulsakor-cli: ") + usage->message
                                      + QStringLiteral("\n\n") + cli::UsageText()));
        return cli::ExitBadUsage;
    }
    const cli::Options &options = std::get<cli::Options>(parsed);
    if (options.help) {
        Write(stdout, encoding.Encode(cli::UsageText()));
        return cli::ExitSuccess;
    }

    const QChar separator = options.decimalSeparator.value_or(platform::DecimalSeparator());
    if (options.run) {
        // Messages as they come, so a slow assembler does not hide them.
        const cli::MessageSink toStderr = [&encoding](const QString &message) {
            Write(stderr, encoding.Encode(ForTerminal(message)));
        };
        const cli::GenerationOutcome outcome =
            cli::RunWholeGeneration(options.texts, *options.run, separator, toStderr);
        if (!outcome.log.isEmpty() && !Write(stdout, outcome.log)) {
            toStderr(QStringLiteral("Das Log konnte nicht ausgegeben werden."));
            return outcome.exitCode == cli::ExitSuccess ? cli::ExitFileFailed : outcome.exitCode;
        }
        return outcome.exitCode;
    }

    const cli::CommandOutcome outcome = cli::RunListing(options.texts, separator);
    if (outcome.exitCode != cli::ExitSuccess) {
        Write(stderr, encoding.Encode(ForTerminal(outcome.error)));
        return outcome.exitCode;
    }
    if (!Write(stdout, encoding.Encode(outcome.output))) {
        Write(stderr, encoding.Encode(
                          QStringLiteral("Die Tabelle konnte nicht ausgegeben werden.\n")));
        return cli::ExitRejected;
    }
    return cli::ExitSuccess;
}
