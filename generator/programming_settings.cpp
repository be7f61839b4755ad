#include "generator/programming_settings.h"

#include "platform/files.h"

#include <QDir>
#include <QList>

namespace generator {

namespace {

const QLatin1String kAvrdudeKey("avrdude");
const QLatin1String kProgrammerKey("programmer");
const QLatin1String kPortKey("anschluss");
const QLatin1String kBaudKey("baudrate");
const QLatin1String kCalibrationKey("kalibrierbyte");
const QLatin1String kAfterRunKey("nach-erzeugen");
const QLatin1String kNoAddress("keine");

// A plain decimal number from `low` to `high`, nothing else.
std::optional<int> NumberIn(const QString &text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || text.startsWith(u'+') || value < low || value > high)
        return std::nullopt;
    return value;
}

void Apply(const QString &key, const QString &value, ProgrammingChoices *choices)
{
    ProgrammingSettings &settings = choices->settings;
    if (key == kAvrdudeKey) {
        settings.avrdudePath = value;
    } else if (key == kProgrammerKey) {
        settings.programmer = value;
    } else if (key == kPortKey) {
        settings.port = value;
    } else if (key == kBaudKey) {
        if (value.isEmpty())
            settings.baudRate.reset();
        else if (const auto baud = NumberIn(value, 1, 100'000'000))
            settings.baudRate = baud;
    } else if (key == kCalibrationKey) {
        if (value.compare(kNoAddress, Qt::CaseInsensitive) == 0)
            settings.calibrationAddress.reset();
        else if (const auto address = NumberIn(value, 0, kEepromSize - 1))
            settings.calibrationAddress = address;
    } else if (key == kAfterRunKey) {
        if (value == u'0' || value == u'1')
            choices->afterEachRun = value == u'1';
    }
}

} // namespace

QByteArray ProgrammingSettingsText(const ProgrammingChoices &choices)
{
    const ProgrammingSettings &settings = choices.settings;
    const QList<std::pair<QLatin1String, QString>> lines = {
        {kAvrdudeKey, settings.avrdudePath},
        {kProgrammerKey, settings.programmer},
        {kPortKey, settings.port},
        {kBaudKey, settings.baudRate ? QString::number(*settings.baudRate) : QString()},
        {kCalibrationKey,
         settings.calibrationAddress ? QString::number(*settings.calibrationAddress)
                                     : QString(kNoAddress)},
        {kAfterRunKey, choices.afterEachRun ? QStringLiteral("1") : QStringLiteral("0")},
    };
    QString text;
    for (const auto &[key, value] : lines) {
        // A line end inside a value would make a line of its own.
        QString kept = value;
        kept.remove(u'\r');
        kept.remove(u'\n');
        text += key + u'=' + kept + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

ProgrammingChoices ReadProgrammingSettingsText(const QByteArray &bytes)
{
    ProgrammingChoices choices;
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    for (const QString &line : text.split(u'\n')) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        // Trimmed as the dialog trims what it saves, before a value is
        // checked: " -F" would otherwise pass for a port.
        const QString key = line.left(equals).trimmed().toLower();
        Apply(key, line.mid(equals + 1).trimmed(), &choices);
    }
    return choices;
}

bool SaveProgrammingSettings(const QString &settingsFolder, const ProgrammingChoices &choices,
                             QString *error)
{
    if (!settingsFolder.isEmpty())
        QDir().mkpath(settingsFolder);
    return platform::WriteFileAtomically(settingsFolder + kProgrammingSettingsFileName,
                                         ProgrammingSettingsText(choices), error);
}

ProgrammingChoices LoadProgrammingSettings(const QString &settingsFolder)
{
    const QString path = settingsFolder + kProgrammingSettingsFileName;
    if (!platform::FileExists(path))
        return {};
    const std::optional<QByteArray> bytes = platform::ReadWholeFile(path);
    return bytes ? ReadProgrammingSettingsText(*bytes) : ProgrammingChoices{};
}

} // namespace generator
