#include "platform/text_encoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

#ifndef Q_OS_WIN
#include <langinfo.h>
#include <locale.h>
#endif

namespace platform {

namespace {

TextEncoding::Kind KindOfLocaleCodeset(const QByteArray &codeset)
{
    const QByteArray upper = codeset.toUpper();
    if (upper == "UTF-8" || upper == "UTF8")
        return TextEncoding::Kind::Utf8;
    if (upper.isEmpty() || upper == "ANSI_X3.4-1968" || upper == "ASCII" || upper == "ISO-8859-1"
        || upper == "ISO8859-1")
        return TextEncoding::Kind::Latin1;
    return TextEncoding::Kind::Named;
}

} // namespace

TextEncoding TextEncoding::System()
{
#ifdef Q_OS_WIN
    return TextEncoding(Kind::System);
#else
    // Read the codeset of the user's locale without touching the process's
    // global locale.
    QByteArray codeset;
    if (locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr))) {
        codeset = nl_langinfo_l(CODESET, loc);
        freelocale(loc);
    }
    const Kind kind = KindOfLocaleCodeset(codeset);
    if (kind == Kind::Named)
        return Named(codeset);
    return TextEncoding(kind);
#endif
}

TextEncoding TextEncoding::Named(const QByteArray &name)
{
    QStringEncoder probe(name.constData());
    if (!probe.isValid())
        return Latin1();
    return TextEncoding(Kind::Named, name);
}

QByteArray TextEncoding::Encode(const QString &text) const
{
    switch (m_kind) {
    case Kind::Latin1:
        return text.toLatin1();
    case Kind::Utf8:
        return text.toUtf8();
    case Kind::System:
        return text.toLocal8Bit();
    case Kind::Named: {
        QStringEncoder encoder(m_name.constData());
        return encoder.encode(text);
    }
    }
    return text.toLatin1();
}

QString TextEncoding::Decode(const QByteArray &bytes) const
{
    switch (m_kind) {
    case Kind::Latin1:
        return QString::fromLatin1(bytes);
    case Kind::Utf8:
        return QString::fromUtf8(bytes);
    case Kind::System:
        return QString::fromLocal8Bit(bytes);
    case Kind::Named: {
        QStringDecoder decoder(m_name.constData());
        return decoder.decode(bytes);
    }
    }
    return QString::fromLatin1(bytes);
}

template <typename Text, typename Char>
static QList<Text> SplitLines(const Text &text, Char cr, Char lf)
{
    QList<Text> lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        if (text.at(i) == cr) {
            lines.append(text.mid(start, i - start));
            ++i;
            if (i < size && text.at(i) == lf)
                ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < size)
        lines.append(text.mid(start));
    return lines;
}

QStringList SplitTextLines(const QString &text)
{
    return SplitLines<QString, QChar>(text, QChar(u'\r'), QChar(u'\n'));
}

QList<QByteArray> SplitByteLines(const QByteArray &bytes)
{
    return SplitLines<QByteArray, char>(bytes, '\r', '\n');
}

} // namespace platform
