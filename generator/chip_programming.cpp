#include "generator/chip_programming.h"

#include "generator/hex_check.h"
#include "generator/target_files.h"
#include "generator/target_name.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text_encoding.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>

namespace generator {

namespace {

using enum ProgrammingOutcome;

// The ATtiny15's flash: 512 words.
constexpr quint32 kFlashSize = 1024;

// How much of a call's output is kept to read its faults from.
constexpr qsizetype kReadOutputLimit = 1024 * 1024;

QString Shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString PortText(const ProgrammingSettings &settings)
{
    return settings.port.isEmpty() ? QStringLiteral("die Voreinstellung von avrdude")
                                   : u'"' + settings.port + u'"';
}

// Where the chip stands after a failed call.
QString ChipState(const ProgrammingResult &result)
{
    return result.chipTouched
        ? QStringLiteral("Der Chip ist gelöscht oder nur zum Teil beschrieben; bitte nach "
                         "der Abhilfe erneut programmieren.")
        : QStringLiteral("Auf den Chip wurde nichts geschrieben.");
}

// Where the chip stands after a failed call, and where avrdude's messages are.
QString Afterwards(const ProgrammingResult &result)
{
    const QString chip = ChipState(result);
    if (result.logPath.isEmpty())
        return chip;
    return QStringLiteral("%1\r\nDie Meldungen von avrdude stehen in \"%2\".")
        .arg(chip, Shown(result.logPath));
}

// "5A".
QString ByteText(quint8 byte)
{
    return QString::number(byte, 16).toUpper().rightJustified(2, u'0');
}

// Said after a success whose log is not beside the HEX file.
QString LogElsewhere(const QString &logPath)
{
    return QStringLiteral("\r\nDas Log liegt nicht neben der HEX-Datei, die Meldungen von "
                          "avrdude stehen in \"%1\".")
        .arg(Shown(logPath));
}

// The first part of a message: what happened and what to check.
QString Cause(const ProgrammingResult &result, const ProgrammingRequest &request,
              const platform::ProgramEnd &end)
{
    const ProgrammingSettings &settings = request.settings;
    switch (result.outcome) {
    case ProgrammerUnknown:
        return QStringLiteral("avrdude kennt den Programmer \"%1\" nicht.\r\nBitte den Namen "
                              "des Programmers prüfen (zum Beispiel usbasp, usbtiny, avrisp2, "
                              "stk500v1, stk500v2 oder arduino).")
            .arg(settings.programmer);
    case PortUnavailable:
        return QStringLiteral("Der Anschluss %1 lässt sich nicht öffnen.\r\nBitte den Anschluss "
                              "prüfen: Ist der Programmer eingesteckt, stimmt der Name des "
                              "Anschlusses, und darf dieses Benutzerkonto ihn öffnen?")
            .arg(PortText(settings));
    case NoAnswer:
        return QStringLiteral("Der Programmer \"%1\" antwortet nicht (Anschluss: %2).\r\nBitte "
                              "die Verbindung zum Programmer, den Namen des Programmers und den "
                              "Anschluss prüfen.")
            .arg(settings.programmer, PortText(settings));
    case ChipNotAnswering:
        return QStringLiteral("Der Programmer antwortet, aber der Chip nicht.\r\nBitte die "
                              "Verbindung vom Programmer zum ATtiny15 (Kabel, Steckrichtung) "
                              "und die Versorgungsspannung des Chips prüfen.");
    case WrongChip:
        return QStringLiteral("Am Programmer ist kein ATtiny15: avrdude liest die Signatur %1, "
                              "ein ATtiny15 hat %2.\r\nBitte den Chip und den Programmer "
                              "prüfen.")
            .arg(result.signature.value_or(QStringLiteral("einer anderen Art")),
                 Attiny15Signature());
    case CalibrationUnread:
        return QStringLiteral("Das Kalibrierbyte des Chips konnte nicht gelesen werden.\r\n"
                              "Bitte die Verbindung zum Chip prüfen.");
    case VerifyMismatch:
        return QStringLiteral("Beim Prüfen stimmte der Inhalt des Chips nicht mit dem "
                              "Geschriebenen überein.\r\nBitte die Verbindung zum Chip und "
                              "seine Versorgungsspannung prüfen.");
    case TimedOut:
        return QStringLiteral("avrdude hat nach %1 Sekunden nicht geendet und wurde beendet."
                              "\r\nBitte die Verbindung zum Programmer und den Anschluss "
                              "prüfen.")
            .arg(std::chrono::duration_cast<std::chrono::seconds>(request.wait.maximum).count());
    case OutputTooLong:
        return QStringLiteral("avrdude wurde beendet, weil seine Ausgabe die Grenze von %1 MiB "
                              "überschritten hat.")
            .arg(platform::DefaultOutputLimit / (1024 * 1024));
    case Cancelled:
    case Interrupted:
        return QStringLiteral("Das Programmieren wurde abgebrochen.");
    default:
        break;
    }
    if (end.state == platform::ProgramEnd::State::Crashed)
        return QStringLiteral("avrdude ist abgestürzt.");
    return QStringLiteral("avrdude ist mit dem Fehlercode %1 beendet worden.\r\nBitte die "
                          "Verbindung, den Namen des Programmers und den Anschluss prüfen.")
        .arg(end.exitCode);
}

ProgrammingOutcome OutcomeOfFault(AvrdudeFault fault)
{
    switch (fault) {
    case AvrdudeFault::ProgrammerUnknown:
        return ProgrammerUnknown;
    case AvrdudeFault::PortUnavailable:
        return PortUnavailable;
    case AvrdudeFault::NoAnswer:
        return NoAnswer;
    case AvrdudeFault::ChipNotAnswering:
        return ChipNotAnswering;
    case AvrdudeFault::WrongChip:
        return WrongChip;
    case AvrdudeFault::VerifyMismatch:
        return VerifyMismatch;
    case AvrdudeFault::Other:
        break;
    }
    return AvrdudeFailed;
}

// The outcome of a call that did not end well; Programmed when it did.
ProgrammingOutcome OutcomeOfCall(const platform::ProgramEnd &end, const QByteArray &output)
{
    using State = platform::ProgramEnd::State;
    switch (end.state) {
    case State::Finished:
        return end.exitCode == 0 ? Programmed : OutcomeOfFault(ReadAvrdudeFault(output));
    case State::FailedToStart:
        return AvrdudeMissing;
    case State::TimedOut:
        return TimedOut;
    case State::OutputTooLong:
        return OutputTooLong;
    case State::OutputFailed:
        return FileFailed;
    case State::Cancelled:
        return Cancelled;
    case State::Interrupted:
        return Interrupted;
    case State::Stopped:
        // Only a programmer that stopped answering stops a call.
        return NoAnswer;
    case State::Crashed:
        break;
    }
    return AvrdudeFailed;
}

// What the log is told about a call that avrdude did not end by itself.
QString EndNote(ProgrammingOutcome outcome, const QString &cause)
{
    switch (outcome) {
    case TimedOut:
    case OutputTooLong:
    case Cancelled:
    case Interrupted:
    case AvrdudeMissing:
        return QStringLiteral("pulsakor: ") + cause.section(QStringLiteral("\r\n"), 0, 0);
    default:
        return {};
    }
}

// avrdude 7.1 erases the chip before it reads the HEX file: a file it
// cannot read, or one with bytes beyond the 1 KiB flash, would leave the
// chip erased. Such a file is refused before anything starts; empty when
// the file can go into the flash.
QString FlashRefusal(const QByteArray &hex, const QString &hexPath)
{
    const auto image = ParseIntelHex(hex);
    if (const auto *fault = std::get_if<HexFault>(&image))
        return QStringLiteral("Die Datei \"%1\" ist keine HEX-Datei für den Chip (Zeile %2: "
                              "%3).\r\nAuf den Chip wurde nichts geschrieben.")
            .arg(Shown(hexPath), QString::number(fault->line), fault->reason);
    const HexImage &blocks = std::get<HexImage>(image);
    const bool fits = std::all_of(blocks.cbegin(), blocks.cend(), [](const HexBlock &block) {
        return block.address + quint32(block.bytes.size()) <= kFlashSize;
    });
    if (blocks.isEmpty() || !fits) {
        const QString what = blocks.isEmpty()
            ? QStringLiteral("keine Daten für den Flash")
            : QStringLiteral("Daten jenseits des Flash von %1 Bytes").arg(kFlashSize);
        return QStringLiteral("Die Datei \"%1\" enthält %2.\r\nAuf den Chip wurde nichts "
                              "geschrieben.")
            .arg(Shown(hexPath), what);
    }
    return {};
}

// One programming: its files, its two calls and what they told.
class Programming {
public:
    Programming(const ProgrammingRequest &request, ProgrammingHost &host,
                platform::Cancellation *cancellation)
        : m_request(request), m_host(host), m_cancellation(cancellation)
    {}

    ProgrammingResult Run();
    EepromReadResult ReadEeprom();

private:
    bool Prepare();
    bool ReadEepromImage();
    bool PrepareCall();
    bool PrepareLog();
    bool StartLog(const QString &path, QString *error);
    bool Call(const QStringList &arguments);
    bool CheckSignature();
    bool ReadCalibrationByte();
    bool Fail(ProgrammingOutcome outcome, const QString &message = {});
    bool TakeOutput(const QByteArray &piece);

    const ProgrammingRequest &m_request;
    ProgrammingHost &m_host;
    platform::Cancellation *m_cancellation;
    ProgrammingResult m_result;
    QTemporaryDir m_work;
    ProgressReader m_progress;
    QByteArray m_callOutput;
    platform::ProgramEnd m_lastEnd;
    /// Where the calls' output goes: the log, or the work folder when no
    /// log is kept.
    QString m_callLog;
    /// The log went into the settings folder.
    bool m_logMoved = false;
    /// What goes into the EEPROM after the erase: the template's data, then
    /// the calibration byte.
    EepromBytes m_eeprom;
    int m_templateBytes = 0;
};

ProgrammingResult Programming::Run()
{
    if (!Prepare())
        return m_result;
    if (!Call(ReadChipArguments(m_request.settings)))
        return m_result;
    if (!CheckSignature() || !ReadCalibrationByte())
        return m_result;
    // A cancel that came with the first call's last output ends here, with
    // the chip as it was.
    if (m_cancellation && m_cancellation->IsCancelled()) {
        Fail(Cancelled);
        return m_result;
    }
    m_result.chipTouched = true;
    if (!Call(WriteChipArguments(m_request.settings, !m_eeprom.isEmpty())))
        return m_result;
    m_result.outcome = Programmed;
    const QString byte = ByteText(*m_result.calibrationByte);
    QString written = m_request.settings.calibrationAddress
        ? QStringLiteral("Das Kalibrierbyte 0x%1 steht im EEPROM an Adresse %2.")
              .arg(byte, QString::number(*m_request.settings.calibrationAddress))
        : QStringLiteral("Das Kalibrierbyte 0x%1 wurde nicht ins EEPROM geschrieben.").arg(byte);
    if (m_templateBytes > 0)
        written += QStringLiteral("\r\nDie EEPROM-Daten der Vorlage (%1 Bytes) wurden "
                                  "geschrieben und geprüft.")
                       .arg(m_templateBytes);
    m_result.message = QStringLiteral("Der ATtiny15 wurde mit \"%1\" programmiert und geprüft."
                                      "\r\n%2")
                           .arg(Shown(m_request.hexPath), written);
    if (m_logMoved)
        m_result.message += LogElsewhere(m_result.logPath);
    return m_result;
}

EepromReadResult Programming::ReadEeprom()
{
    EepromReadResult read;
    const auto finish = [&]() {
        read.outcome = m_result.outcome;
        read.message = m_result.message;
        read.logPath = m_result.logPath;
        read.signature = m_result.signature;
        return read;
    };
    if (!PrepareCall())
        return finish();
    // No log asked for: the output goes with the work folder.
    if (m_request.logPath.isEmpty())
        m_callLog = m_work.filePath(QStringLiteral("avrdude.log"));
    else if (!PrepareLog())
        return finish();
    if (!Call(ReadEepromArguments(m_request.settings)) || !CheckSignature())
        return finish();
    const std::optional<QByteArray> eeprom =
        platform::ReadWholeFile(m_work.filePath(kEepromReadFileName));
    if (!eeprom || eeprom->size() != kEepromSize) {
        Fail(AvrdudeFailed,
             QStringLiteral("avrdude hat das EEPROM des Chips nicht vollständig "
                            "gelesen.\r\n%1")
                 .arg(Afterwards(m_result)));
        return finish();
    }
    m_result.outcome = Programmed;
    m_result.message.clear();
    read.succeeded = true;
    read.eeprom = *eeprom;
    return finish();
}

// The settings, avrdude, the HEX file copied into the work folder and the
// old log gone: nothing reaches the chip before all of them are in place.
bool Programming::Prepare()
{
    if (!PrepareCall())
        return false;
    QString error;
    const std::optional<QByteArray> hex = platform::ReadWholeFile(m_request.hexPath, &error);
    if (!hex)
        return Fail(FileFailed, error);
    const QString flashRefusal = FlashRefusal(*hex, m_request.hexPath);
    if (!flashRefusal.isEmpty())
        return Fail(FileFailed, flashRefusal);
    if (!platform::WriteFileAtomically(m_work.filePath(kFlashFileName), *hex, &error))
        return Fail(FileFailed, error);
    return ReadEepromImage() && PrepareLog();
}

// The assembler's EEPROM image beside the HEX file ("servo003.eep.hex"),
// when there is one: the chip erase clears the EEPROM, so the template's
// data is written back with the calibration byte. Data where the
// calibration byte goes would be lost to it: that stops the programming
// before anything starts.
bool Programming::ReadEepromImage()
{
    const QString path = TargetFilePath(TargetBase(m_request.hexPath), TargetFileRole::EepromImage);
    if (!platform::FileExists(path))
        return true;
    QString error;
    const std::optional<QByteArray> text = platform::ReadWholeFile(path, &error);
    if (!text)
        return Fail(FileFailed, error);
    const auto image = ParseIntelHex(*text);
    if (const auto *fault = std::get_if<HexFault>(&image))
        return Fail(FileFailed,
                    QStringLiteral("Die Datei \"%1\" ist kein EEPROM-Abbild für den "
                                   "Chip (Zeile %2: %3).\r\nAuf den Chip wurde "
                                   "nichts geschrieben.")
                        .arg(Shown(path), QString::number(fault->line), fault->reason));
    for (const HexBlock &block : std::get<HexImage>(image)) {
        for (qsizetype i = 0; i < block.bytes.size(); ++i) {
            const quint32 address = block.address + quint32(i);
            if (address >= quint32(kEepromSize))
                return Fail(FileFailed,
                            QStringLiteral("Die Datei \"%1\" enthält Daten jenseits des EEPROM "
                                           "von %2 Bytes.\r\nAuf den Chip wurde nichts "
                                           "geschrieben.")
                                .arg(Shown(path))
                                .arg(kEepromSize));
            m_eeprom.insert(int(address), quint8(block.bytes.at(i)));
        }
    }
    const std::optional<int> calibration = m_request.settings.calibrationAddress;
    if (calibration && m_eeprom.contains(*calibration))
        return Fail(FileFailed,
                    QStringLiteral("Die Vorlage legt Daten an die EEPROM-Adresse %1 (\"%2\"), an "
                                   "die das Kalibrierbyte des Chips geschrieben wird.\r\nBitte "
                                   "eine andere Adresse für das Kalibrierbyte wählen oder die "
                                   "Daten der Vorlage verlegen.\r\nAuf den Chip wurde nichts "
                                   "geschrieben.")
                        .arg(QString::number(*calibration), Shown(path)));
    m_templateBytes = int(m_eeprom.size());
    return true;
}

// What every kind of call needs: usable settings, avrdude and the work
// folder.
bool Programming::PrepareCall()
{
    const QString refusal = SettingsRefusal(m_request.settings);
    if (!refusal.isEmpty())
        return Fail(SettingsRefused, refusal);
    if (!platform::FileExists(m_request.settings.avrdudePath))
        return Fail(AvrdudeMissing,
                    QStringLiteral("Das Programm avrdude wurde nicht gefunden: \"%1\".\r\nBitte "
                                   "avrdude installieren oder seinen Pfad angeben.")
                        .arg(Shown(m_request.settings.avrdudePath)));
    if (!m_work.isValid())
        return Fail(FileFailed,
                    QStringLiteral("Der Arbeitsordner für avrdude kann nicht "
                                   "angelegt werden: %1")
                        .arg(m_work.errorString()));
    return true;
}

// The log holds one programming: an older one would pass for this one, so
// it is emptied first. A HEX file on a medium that cannot be written (or in
// a folder of another account) gets its log in the settings folder.
bool Programming::PrepareLog()
{
    QString logPath = m_request.logPath;
    if (logPath.isEmpty()) {
        logPath = ProgrammingLogPath(m_request.hexPath);
        if (!StartLog(logPath, nullptr) && !m_request.settingsFolder.isEmpty()) {
            logPath = m_request.settingsFolder + QFileInfo(logPath).fileName();
            m_logMoved = true;
        }
    }
    QString error;
    if (!StartLog(logPath, &error))
        return Fail(FileFailed, error);
    m_result.logPath = logPath;
    m_callLog = logPath;
    return true;
}

// An empty log at `path`, the folder created when missing.
bool Programming::StartLog(const QString &path, QString *error)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return platform::RemoveFile(path, error) && platform::AppendToFile(path, {}, error);
}

// One avrdude call in the work folder, its output appended to the log.
// False (with the result filled in) when it did not end well.
bool Programming::Call(const QStringList &arguments)
{
    platform::ProgramStart start;
    start.program = m_request.settings.avrdudePath;
    start.arguments = arguments;
    start.workingFolder = m_work.path();
    start.outputFile = m_callLog;
    start.appendOutput = true;
    platform::ProgramWatch watch;
    watch.output = [this](const QByteArray &piece) { return TakeOutput(piece); };
    watch.cancellation = m_cancellation;

    m_callOutput.clear();
    m_progress.NewCall();
    m_lastEnd = platform::RunProgram(start, m_request.wait, watch);
    const ProgrammingOutcome outcome = OutcomeOfCall(m_lastEnd, m_callOutput);
    if (outcome == Programmed)
        return true;
    if (outcome == WrongChip)
        m_result.signature = DeviceSignature(m_callOutput);
    if (outcome == AvrdudeMissing)
        return Fail(outcome,
                    QStringLiteral("avrdude konnte nicht gestartet werden: %1\r\nBitte "
                                   "avrdude installieren oder seinen Pfad angeben.")
                        .arg(m_lastEnd.error));
    // The log could not take avrdude's output (a full disk): avrdude was
    // ended, perhaps after the erase.
    if (outcome == FileFailed)
        return Fail(outcome, QStringLiteral("%1\r\n%2").arg(m_lastEnd.error, ChipState(m_result)));
    return Fail(outcome);
}

// avrdude has compared the signature already; a chip it took for an
// ATtiny15 must also be one by the bytes it read, or nothing is written.
bool Programming::CheckSignature()
{
    const std::optional<QByteArray> bytes =
        platform::ReadWholeFile(m_work.filePath(kSignatureFileName));
    if (!bytes || bytes->size() != 3)
        return Fail(AvrdudeFailed,
                    QStringLiteral("avrdude hat die Signatur des Chips nicht vollständig "
                                   "gelesen.\r\n%1")
                        .arg(Afterwards(m_result)));
    m_result.signature = SignatureText(*bytes);
    if (m_result.signature != Attiny15Signature())
        return Fail(WrongChip);
    return true;
}

bool Programming::ReadCalibrationByte()
{
    const std::optional<QByteArray> bytes =
        platform::ReadWholeFile(m_work.filePath(kCalibrationFileName));
    if (!bytes || bytes->size() != 1)
        return Fail(CalibrationUnread);
    const quint8 byte = quint8(bytes->at(0));
    m_result.calibrationByte = byte;
    if (const std::optional<int> address = m_request.settings.calibrationAddress) {
        // 0xFF is a byte never set (or erased), 0x00 one the programmer did
        // not really read: a firmware would tune its clock by it.
        if (byte == 0xFF || byte == 0x00)
            return Fail(CalibrationUnread,
                        QStringLiteral("Dem Chip fehlt das Kalibrierbyte: avrdude liest 0x%1.\r\n"
                                       "Braucht die Firmware es nicht, bitte ohne Kalibrierbyte "
                                       "programmieren (pulsakor-cli: --calibration-eeprom none; "
                                       "im Fenster: \"Kalibrierbyte ins EEPROM an Adresse\" auf "
                                       "\"keine\").\r\n%2")
                            .arg(ByteText(byte), Afterwards(m_result)));
        m_eeprom.insert(*address, byte);
    }
    QString error;
    if (!m_eeprom.isEmpty()
        && !platform::WriteFileAtomically(m_work.filePath(kEepromFileName), EepromHex(m_eeprom),
                                          &error))
        return Fail(FileFailed, error);
    return true;
}

// Fills in the failure; `message` replaces the one made from the outcome.
// Always false, for "return Fail(...)".
bool Programming::Fail(ProgrammingOutcome outcome, const QString &message)
{
    m_result.outcome = outcome;
    if (!message.isEmpty()) {
        m_result.message = message;
    } else {
        const QString cause = Cause(m_result, m_request, m_lastEnd);
        m_result.message = QStringLiteral("%1\r\n%2").arg(cause, Afterwards(m_result));
    }
    const QString note = EndNote(outcome, m_result.message);
    if (!note.isEmpty() && !m_callLog.isEmpty())
        platform::AppendToFile(
            m_callLog, platform::TextEncoding::System().Encode(note + QStringLiteral("\r\n")));
    return false;
}

// False ends the call: a programmer that stopped answering would keep
// avrdude waiting for every byte's answer in turn.
bool Programming::TakeOutput(const QByteArray &piece)
{
    // The faults are read from the beginning; an avrdude that prints
    // without end is ended by the output's limit anyway.
    if (m_callOutput.size() < kReadOutputLimit)
        m_callOutput += piece.left(kReadOutputLimit - m_callOutput.size());
    m_host.TakeOutput(piece);
    if (m_progress.Take(piece))
        m_host.ShowProgress(m_progress.Progress());
    return !m_progress.ProgrammerLost();
}

} // namespace

QString ProgrammingTitle(ProgrammingOutcome outcome)
{
    return outcome == Programmed ? QStringLiteral("Chip programmiert")
                                 : QStringLiteral("Chip nicht programmiert");
}

QString ProgrammingLogPath(const QString &hexPath)
{
    return TargetFilePath(TargetBase(hexPath), TargetFileRole::ProgrammingLog);
}

ProgrammingResult ProgramChip(const ProgrammingRequest &request, ProgrammingHost &host,
                              platform::Cancellation *cancellation)
{
    Programming programming(request, host, cancellation);
    return programming.Run();
}

EepromReadResult ReadChipEeprom(const EepromReadRequest &request, ProgrammingHost &host,
                                platform::Cancellation *cancellation)
{
    ProgrammingRequest call;
    call.settings = request.settings;
    call.logPath = request.logPath;
    call.wait = request.wait;
    Programming programming(call, host, cancellation);
    return programming.ReadEeprom();
}

} // namespace generator
