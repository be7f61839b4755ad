#include "cli/programming_command.h"

#include "generator/chip_programming.h"
#include "generator/end_stops.h"
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

ExitCode ProgramTeachIn(const ProgrammingOptions &options, const MessageSink &message)
{
    EchoingHost host;
    const generator::ProgrammingResult result = generator::ProgramTeachInFirmware(
        ProgrammingSettingsFor(options), QDir::toNativeSeparators(platform::TeachInFirmwarePath()),
        generator::TeachInLogPath(platform::SettingsFolder()), host);
    const bool programmed = result.outcome == generator::ProgrammingOutcome::Programmed;
    QString next;
    if (programmed)
        next = QStringLiteral("\r\nJetzt den Servo von Hand oder mit dem Sender in beide "
                              "Endlagen und zurück bewegen (ausstecken dazwischen schadet "
                              "nicht), dann die Endlagen mit --read-end-stops auslesen.");
    message(generator::ProgrammingTitle(result.outcome) + QStringLiteral(": ") + result.message
            + next);
    return programmed ? ExitSuccess : ExitNotProgrammed;
}

EndStopsRead ReadTaughtEndStops(const ProgrammingOptions &options, const QString &supplyText,
                                const MessageSink &message)
{
    const QString notRead = QStringLiteral("Endlagen nicht gelesen: ");
    QString refusal;
    if (!generator::TeachInSupply(supplyText, &refusal)) {
        message(notRead + refusal);
        return {ExitRejected, {}};
    }
    generator::EepromReadRequest request;
    request.settings = ProgrammingSettingsFor(options);
    request.logPath = generator::TeachInLogPath(platform::SettingsFolder());
    EchoingHost host;
    const generator::EepromReadResult read = generator::ReadChipEeprom(request, host);
    if (!read.succeeded) {
        message(notRead + read.message);
        return {ExitNotProgrammed, {}};
    }
    const generator::EndStops endStops = generator::ReadEndStops(read.eeprom, supplyText);
    switch (endStops.outcome) {
    case generator::EndStopOutcome::Taught:
        message(QStringLiteral("Endlagen gelesen: ") + endStops.message);
        return {ExitSuccess,
                QStringLiteral("--end1 %1 --end2 %2\n")
                    .arg(endStops.end1Text, endStops.end2Text)
                    .toLatin1()};
    case generator::EndStopOutcome::NothingTaught:
    case generator::EndStopOutcome::Damaged:
        message(notRead + endStops.message);
        return {ExitNothingTaught, {}};
    case generator::EndStopOutcome::SupplyRefused:
    case generator::EndStopOutcome::ImageIncomplete:
        break;
    }
    // The supply was accepted above: only an image cut short is left.
    message(notRead + endStops.message);
    return {ExitNotProgrammed, {}};
}

} // namespace cli
