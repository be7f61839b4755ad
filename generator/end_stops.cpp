#include "generator/end_stops.h"

#include "generator/parameter_text.h"
#include "generator/servo_parameters.h"

#include <variant>

namespace generator {

namespace {

constexpr int kLowestAddress = 1;
constexpr int kHighestAddress = 2;
constexpr int kCheckAddress = 3;
constexpr quint8 kCheckMask = 0xA5;
constexpr quint8 kErased = 0xFF;

// The voltage of `reading` in mV, rounded half up to 10 mV, in the digits of
// the design texts ("0490"). In units of 10 mV, as the table reads the supply,
// so reading i of the table lies where the field puts the end stop.
QString VoltageText(quint8 reading, qint32 supply)
{
    const qint64 tenMillivolts = (qint64(reading) * supply * 2 + 256) / 512;
    return QStringLiteral("%1").arg(tenMillivolts * 10, 4, 10, QLatin1Char('0'));
}

const QString kTeachAgain =
    QStringLiteral("\r\nBitte die Einlern-Firmware erneut programmieren und die Endlagen neu "
                   "einlernen.");

EndStops NothingTaught(const QString &found)
{
    EndStops result;
    result.outcome = EndStopOutcome::NothingTaught;
    result.message = found
        + QStringLiteral("\r\nBitte den Servo von Hand oder mit dem Sender in beide Endlagen und "
                         "zurück bewegen und die Endlagen erneut auslesen. Hat der Chip die "
                         "Einlern-Firmware noch nicht, diese zuerst programmieren.");
    return result;
}

} // namespace

std::optional<QString> TeachInCalibrationRefusal(std::optional<int> calibrationAddress)
{
    if (!calibrationAddress || *calibrationAddress < kLowestAddress
        || *calibrationAddress > kCheckAddress)
        return std::nullopt;
    return QStringLiteral("Das Kalibrierbyte kann nicht an die EEPROM-Adresse %1: an den "
                          "Adressen %2 bis %3 legt die Einlern-Firmware ihre Messwerte ab. Sie "
                          "liest das Kalibrierbyte von Adresse 0.")
        .arg(*calibrationAddress)
        .arg(kLowestAddress)
        .arg(kCheckAddress);
}

QString TeachInLogPath(const QString &settingsFolder)
{
    return settingsFolder + QStringLiteral("pulsakor-einlernen.avrdude.log");
}

ProgrammingResult ProgramTeachInFirmware(const ProgrammingSettings &settings,
                                         const QString &firmwarePath, const QString &logPath,
                                         ProgrammingHost &host,
                                         platform::Cancellation *cancellation)
{
    ProgrammingResult refused;
    if (const auto refusal = TeachInCalibrationRefusal(settings.calibrationAddress)) {
        refused.outcome = ProgrammingOutcome::SettingsRefused;
        refused.message = *refusal;
        return refused;
    }
    if (firmwarePath.isEmpty()) {
        refused.outcome = ProgrammingOutcome::FileFailed;
        refused.message = QStringLiteral(
            "Die Einlern-Firmware (einlernen.hex) wurde weder neben dem Programm noch bei den "
            "installierten Beispielen gefunden.\r\nBitte pulsakor neu installieren.");
        return refused;
    }
    ProgrammingRequest request;
    request.settings = settings;
    request.hexPath = firmwarePath;
    request.logPath = logPath;
    return ProgramChip(request, host, cancellation);
}

std::optional<qint32> TeachInSupply(const QString &supplyText, QString *refusal)
{
    // The field's own rules and message: only the supply can be refused here.
    ParameterTexts texts = DefaultParameterTexts();
    texts[SupplyVoltageField] = supplyText;
    const auto read = ReadServoParameters(texts);
    if (const auto *rejection = std::get_if<FieldRejection>(&read)) {
        *refusal = rejection->message;
        return std::nullopt;
    }
    const qint32 supply = std::get<ServoParameters>(read).supplyVoltage;
    if (supply <= 0) {
        *refusal = QStringLiteral("Die Betriebsspannung im Feld \"%1\" muss über 0 liegen, damit "
                                  "aus den Messwerten Spannungen werden:\r\n%2")
                       .arg(ParameterCaptions()[SupplyVoltageField], supplyText);
        return std::nullopt;
    }
    return supply;
}

EndStops ReadEndStops(const QByteArray &eeprom, const QString &supplyText)
{
    EndStops result;
    QString refusal;
    const std::optional<qint32> supply = TeachInSupply(supplyText, &refusal);
    if (!supply) {
        result.outcome = EndStopOutcome::SupplyRefused;
        result.message = refusal;
        return result;
    }
    if (eeprom.size() < kEepromSize) {
        result.outcome = EndStopOutcome::ImageIncomplete;
        result.message = QStringLiteral("Aus dem EEPROM des Chips kamen nur %1 von %2 Bytes.\r\n"
                                        "Bitte die Verbindung zum Programmer prüfen und die "
                                        "Endlagen erneut auslesen.")
                             .arg(eeprom.size())
                             .arg(kEepromSize);
        return result;
    }
    const auto lowest = quint8(eeprom.at(kLowestAddress));
    const auto highest = quint8(eeprom.at(kHighestAddress));
    const auto check = quint8(eeprom.at(kCheckAddress));
    if (lowest == kErased && highest == kErased && check == kErased)
        return NothingTaught(QStringLiteral("Im Chip sind noch keine Endlagen eingelernt."));
    if (quint8(lowest ^ highest ^ kCheckMask) != check) {
        result.outcome = EndStopOutcome::Damaged;
        result.message = QStringLiteral("Das Einlern-Ergebnis im Chip ist beschädigt: das "
                                        "Prüfbyte passt nicht zu den Messwerten.")
            + kTeachAgain;
        return result;
    }
    if (lowest > highest) {
        result.outcome = EndStopOutcome::Damaged;
        result.message = QStringLiteral("Das Einlern-Ergebnis im Chip ist beschädigt: der "
                                        "kleinste Messwert (%1) liegt über dem größten (%2).")
                             .arg(lowest)
                             .arg(highest)
            + kTeachAgain;
        return result;
    }
    if (lowest == highest)
        return NothingTaught(QStringLiteral("Im Chip ist nur der Messwert %1 eingelernt: der "
                                            "Servo wurde nicht bewegt.")
                                 .arg(lowest));
    result.outcome = EndStopOutcome::Taught;
    result.lowestReading = lowest;
    result.highestReading = highest;
    result.end1Text = VoltageText(lowest, *supply);
    result.end2Text = VoltageText(highest, *supply);
    result.message =
        QStringLiteral("Eingelernt sind die Messwerte %1 und %2 (von 0 bis 255); "
                       "bei %3 mV Betriebsspannung liegen am Poti %4 mV und %5 mV.\r\n"
                       "Diese Spannungen für die beiden Endlagen übernehmen, dann "
                       "die Servo-Firmware erzeugen und den Chip programmieren.")
            .arg(QString::number(lowest), QString::number(highest),
                 QString::number(qint64(*supply) * 10), result.end1Text, result.end2Text);
    return result;
}

} // namespace generator
