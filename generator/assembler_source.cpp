#include "generator/assembler_source.h"

#include "platform/files.h"

namespace generator {

QByteArray TableLabelLine()
{
    return QByteArrayLiteral("cortab:   ;Tabelle mit Poti-Korrekturwerten");
}

QByteArray AssemblerSourceBytes(const QByteArray &templateBytes, const QString &listing,
                                const platform::TextEncoding &encoding)
{
    const QByteArray crlf("\r\n");
    const QByteArray label = TableLabelLine();
    QByteArray source;
    source.reserve(templateBytes.size() + 2 * listing.size() + 8);
    for (const QByteArray &line : platform::SplitByteLines(templateBytes)) {
        source += line;
        source += crlf;
        // The label line is copied too; it ends the copy.
        if (line == label)
            break;
    }
    source += encoding.Encode(listing);
    source += crlf;
    source += crlf;
    return source;
}

bool WriteAssemblerSource(const QString &templatePath, const QString &targetPath,
                          const QString &listing, QString *error)
{
    const std::optional<QByteArray> templateBytes = platform::ReadWholeFile(templatePath, error);
    if (!templateBytes)
        return false;
    return platform::WriteFileAtomically(
        targetPath, AssemblerSourceBytes(*templateBytes, listing, platform::TextEncoding::System()),
        error);
}

} // namespace generator
