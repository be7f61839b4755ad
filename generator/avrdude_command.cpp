#include "generator/avrdude_command.h"

namespace generator {

namespace {

// What both calls share: the part, the programmer and how to reach it.
QStringList ConnectionArguments(const ProgrammingSettings &settings)
{
    QStringList arguments{QStringLiteral("-p"), AvrdudePartName(), QStringLiteral("-c"),
                          settings.programmer};
    if (!settings.port.isEmpty())
        arguments << QStringLiteral("-P") << settings.port;
    if (settings.baudRate)
        arguments << QStringLiteral("-b") << QString::number(*settings.baudRate);
    return arguments;
}

QString MemoryOperation(const char *memory, char operation, QLatin1String file, char format)
{
    return QStringLiteral("%1:%2:%3:%4")
        .arg(QLatin1String(memory), QChar(QLatin1Char(operation)), file,
             QChar(QLatin1Char(format)));
}

} // namespace

QLatin1String AvrdudePartName()
{
    return QLatin1String("t15");
}

QString SettingsRefusal(const ProgrammingSettings &settings)
{
    if (settings.programmer.trimmed().isEmpty())
        return QStringLiteral("Es ist kein Programmer angegeben (avrdude -c, zum Beispiel "
                              "usbasp, usbtiny, avrisp2, stk500v1, stk500v2 oder arduino).");
    // A name that begins with "-" would be read by avrdude as an option.
    if (settings.programmer.startsWith(u'-') || settings.port.startsWith(u'-'))
        return QStringLiteral("Der Programmer und der Anschluss dürfen nicht mit \"-\" "
                              "beginnen.");
    if (settings.baudRate && *settings.baudRate <= 0)
        return QStringLiteral("Die Baudrate muss eine positive ganze Zahl sein.");
    if (settings.calibrationAddress
        && (*settings.calibrationAddress < 0 || *settings.calibrationAddress >= kEepromSize))
        return QStringLiteral("Die EEPROM-Adresse des Kalibrierbytes muss zwischen 0 und %1 "
                              "liegen.")
            .arg(kEepromSize - 1);
    return {};
}

QStringList ReadChipArguments(const ProgrammingSettings &settings)
{
    return ConnectionArguments(settings)
        << QStringLiteral("-U") << MemoryOperation("signature", 'r', kSignatureFileName, 'r')
        << QStringLiteral("-U") << MemoryOperation("calibration", 'r', kCalibrationFileName, 'r');
}

QStringList ReadEepromArguments(const ProgrammingSettings &settings)
{
    return ConnectionArguments(settings)
        << QStringLiteral("-U") << MemoryOperation("signature", 'r', kSignatureFileName, 'r')
        << QStringLiteral("-U") << MemoryOperation("eeprom", 'r', kEepromReadFileName, 'r');
}

QStringList WriteChipArguments(const ProgrammingSettings &settings, bool writesEeprom)
{
    QStringList arguments = ConnectionArguments(settings);
    // avrdude erases before the first -U and verifies every write unless
    // told not to (-V), stopping at the first failure: a flash that does
    // not verify leaves the EEPROM unwritten.
    arguments << QStringLiteral("-e") << QStringLiteral("-U")
              << MemoryOperation("flash", 'w', kFlashFileName, 'i');
    if (writesEeprom)
        arguments << QStringLiteral("-U") << MemoryOperation("eeprom", 'w', kEepromFileName, 'i');
    return arguments;
}

QByteArray EepromHex(const EepromBytes &bytes)
{
    QByteArray text;
    for (auto next = bytes.cbegin(); next != bytes.cend();) {
        const int address = next.key();
        QByteArray data;
        while (next != bytes.cend() && next.key() == address + data.size() && data.size() < 16) {
            data.append(char(next.value()));
            ++next;
        }
        QByteArray record;
        record.append(char(data.size()));
        record.append(char(address >> 8));
        record.append(char(address));
        record.append('\0');
        record.append(data);
        quint8 sum = 0;
        for (const char byte : std::as_const(record))
            sum = quint8(sum + quint8(byte));
        record.append(char(quint8(-sum)));
        text += ':' + record.toHex().toUpper() + "\r\n";
    }
    return text + QByteArrayLiteral(":00000001FF\r\n");
}

} // namespace generator
