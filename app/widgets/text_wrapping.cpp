#include "app/widgets/text_wrapping.h"

#include <QFontMetrics>
#include <QStringList>

namespace app {

QString WrapAtBlanks(const QString &caption, const QFontMetrics &metrics, int width)
{
    QStringList lines;
    for (const QString &word : caption.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString longer =
            lines.isEmpty() ? word : lines.last() + QLatin1Char(' ') + word;
        if (!lines.isEmpty() && metrics.horizontalAdvance(longer) <= width)
            lines.last() = longer;
        else
            lines.append(word);
    }
    return lines.join(QLatin1Char('\n'));
}

QString WrappablePath(const QString &path)
{
    QString shown;
    shown.reserve(path.size() + 16);
    for (const QChar c : path) {
        shown += c;
        if (c == QLatin1Char('\\') || c == QLatin1Char('/'))
            shown += QChar(0x200B);
    }
    return shown;
}

} // namespace app
