#include "platform/text_encoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <langinfo.h>
#include <locale.h>
#endif

namespace platform {

#ifndef Q_OS_WIN
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
#endif

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

TextEncoding TextEncoding::CommandProcessor()
{
#ifdef Q_OS_WIN
    return TextEncoding(Kind::Console);
#else
    return System();
#endif
}

#ifdef Q_OS_WIN
namespace {

// A hidden command processor gets a console of its own, which starts in
// the OEM code page. Characters it lacks become "?".
QByteArray EncodeOem(const QString &text)
{
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int size = WideCharToMultiByte(CP_OEMCP, 0, wide, int(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    QByteArray bytes(size, '\0');
    WideCharToMultiByte(CP_OEMCP, 0, wide, int(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

QString DecodeOem(const QByteArray &bytes)
{
    const int size = MultiByteToWideChar(CP_OEMCP, 0, bytes.constData(), int(bytes.size()),
                                         nullptr, 0);
    QString text(size, QChar());
    MultiByteToWideChar(CP_OEMCP, 0, bytes.constData(), int(bytes.size()),
                        reinterpret_cast<wchar_t *>(text.data()), size);
    return text;
}

} // namespace
#endif

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
    case Kind::Console:
#ifdef Q_OS_WIN
        return EncodeOem(text);
#else
        return text.toLocal8Bit();
#endif
    case Kind::Named: {
        QStringEncoder encoder(m_name.constData());
        return encoder.encode(text);
    }
    }
    return text.toLatin1();
}

bool TextEncoding::Holds(const QString &text) const
{
    return Decode(Encode(text)) == text;
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
    case Kind::Console:
#ifdef Q_OS_WIN
        return DecodeOem(bytes);
#else
        return QString::fromLocal8Bit(bytes);
#endif
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
