#include "generator/run_summary.h"

#include "generator/number_format.h"
#include "platform/assembler_process.h"
#include "platform/files.h"
#include "platform/text_encoding.h"

namespace generator {

QString RunSummaryText(const ServoParameters &p, QChar separator)
{
    const QLatin1String crlf("\r\n");
    const auto volt = [separator](qint32 value) {
        return FormatHundredths(value, separator) + QStringLiteral(" Volt");
    };
    const auto ms = [separator](qint32 value) {
        return FormatHundredths(value, separator) + QStringLiteral(" ms");
    };
    QString text;
    text += crlf;
    text += QString(43, u'=') + crlf;
    text += QStringLiteral("Gesamt-Spannung am Servopoti:     ") + volt(p.supplyVoltage) + crlf;
    text += QStringLiteral("Minimal-Spannung am Servopoti:    ") + volt(p.minEndVoltage) + crlf;
    text += QStringLiteral("Maximal-Spannung am Servopoti:    ") + volt(p.maxEndVoltage) + crlf;
    text += QStringLiteral("Impulsbreite für Minimal-Endlage: ") + ms(p.minEndPulse) + crlf;
    text += QStringLiteral("Impulsbreite für Maximal-Endlage: ") + ms(p.maxEndPulse) + crlf;
    return text;
}

bool AppendRunSummary(const QString &logPath, const ServoParameters &ordered, QChar separator,
                      QString *error)
{
    const QByteArray bytes =
        platform::TextEncoding::System().Encode(RunSummaryText(ordered, separator));
    return platform::AppendToFile(logPath, bytes, error);
}

QString RunLogView(const QString &logText, const QString &previousText)
{
    const QLatin1String crlf("\r\n");
    QString view;
    view.reserve(logText.size() + previousText.size() + 64);
    for (const QString &line : platform::SplitTextLines(logText))
        view += line + crlf;
    view += crlf;
    view += previousText;
    return view;
}

std::optional<QString> ShowRunLog(const QString &logPath, const QString &previousText,
                                  QString *error)
{
    // The assembler's part of the log is held to the output limit; the run's
    // own lines after it (a note, the summary) take far less than 4 KiB. A
    // log that grew beyond both is shown only up to there.
    constexpr qint64 kRunLinesRoom = 4096;
    const std::optional<QByteArray> bytes =
        platform::ReadFileStart(logPath, platform::DefaultOutputLimit + kRunLinesRoom, error);
    if (!bytes)
        return std::nullopt;
    return RunLogView(platform::TextEncoding::System().Decode(*bytes), previousText);
}

} // namespace generator
