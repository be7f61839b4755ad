#include "cli/programming_command.h"

#include "generator/chip_programming.h"
#include "platform/environment.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace cli {

namespace {

// avrdude's output to standard error, byte for byte, as it arrives: its bar
// grows one "#" at a time.
class EchoingHost : public generator::ProgrammingHost {
public:
    void TakeOutput(const QByteArray &piece) override
    {
        std::fwrite(piece.constData(), 1, size_t(piece.size()), stderr);
        std::fflush(stderr);
    }
};

} // namespace

generator::ProgrammingSettings ProgrammingSettingsFor(const ProgrammingOptions &options)
{
    generator::ProgrammingSettings settings;
    settings.avrdudePath = options.avrdudePath ? platform::ProgramPath(*options.avrdudePath)
                                               : platform::DefaultAvrdudePath();
    settings.programmer = options.programmer;
    settings.port = options.port;
    settings.baudRate = options.baudRate;
    settings.calibrationAddress = options.calibrationAddress;
    return settings;
}

ExitCode ProgramHexFile(const QString &hexPath, const ProgrammingOptions &options,
                        const MessageSink &message)
{
    generator::ProgrammingRequest request;
    request.settings = ProgrammingSettingsFor(options);
    // Named in the messages as the run names its files: absolute.
    request.hexPath = QDir::toNativeSeparators(QFileInfo(hexPath).absoluteFilePath());
    // A HEX file on a medium that cannot be written gets its log there.
    request.settingsFolder = platform::SettingsFolder();
    EchoingHost host;
    const generator::ProgrammingResult result = generator::ProgramChip(request, host);
    message(generator::ProgrammingTitle(result.outcome) + QStringLiteral(": ") + result.message);
    return result.outcome == generator::ProgrammingOutcome::Programmed ? ExitSuccess
                                                                       : ExitNotProgrammed;
}

} // namespace cli
