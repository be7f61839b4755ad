#pragma once
// The system's 8-bit text encoding of every file the tool reads or writes.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

/// One encoding for text files. On Windows the ANSI code page; on Linux the
/// encoding of the user's locale (LC_ALL / LC_CTYPE / LANG): ISO-8859-x
/// locales give one byte per character, the plain "C" locale Latin-1, and a
/// UTF-8 locale UTF-8.
class TextEncoding {
public:
    enum class Kind { Latin1, Utf8, System, Named, Console };

    static TextEncoding System();
    /// What the command processor reads a batch file in: on Windows the
    /// code page of the console it runs in (the OEM code page, 850 on a
    /// German system, where the system's is 1252); elsewhere System().
    static TextEncoding CommandProcessor();
    static TextEncoding Latin1() { return TextEncoding(Kind::Latin1); }
    static TextEncoding Utf8() { return TextEncoding(Kind::Utf8); }
    /// An encoding by its name ("ISO-8859-15"); Latin-1 when Qt does not know it.
    static TextEncoding Named(const QByteArray &name);

    QByteArray Encode(const QString &text) const;
    QString Decode(const QByteArray &bytes) const;
    /// True when `text` comes back unchanged from Encode and Decode: the
    /// encoding has every character of it (none turns into "?" or into a
    /// look-alike such as "L" for "Ł").
    bool Holds(const QString &text) const;

private:
    explicit TextEncoding(Kind kind, QByteArray name = {}) : m_kind(kind), m_name(std::move(name)) {}
    Kind m_kind;
    QByteArray m_name;
};

/// Splits a text into lines: a line ends at CR LF or at a lone CR; a lone LF
/// is an ordinary character. A final line without line end still counts; an
/// empty text has no lines.
QStringList SplitTextLines(const QString &text);

/// The same on raw bytes, for copying lines unchanged.
QList<QByteArray> SplitByteLines(const QByteArray &bytes);

} // namespace platform
