#include "generator/assembler_batch.h"

#include "generator/target_name.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text_encoding.h"

#include <algorithm>

namespace generator {

namespace {

QString Quoted(const QString &text)
{
    return u'"' + text + u'"';
}

// Batch files only exist on Windows, where both "\" and "/" separate folders.
QString BatchAssemblerFolder(const QString &assemblerPath)
{
    const qsizetype last = std::max(assemblerPath.lastIndexOf(u'\\'), assemblerPath.lastIndexOf(u'/'));
    return assemblerPath.left(last + 1);
}

} // namespace

QString AssemblerBatchText(const QString &workFolder, const QString &targetBase,
                           const QString &assemblerPath)
{
    const QLatin1String crlf("\r\n");
    QString text;
    text += QStringLiteral("cd ") + Quoted(workFolder) + crlf;
    text += workFolder.left(2) + crlf;
    text += QStringLiteral("del ") + Quoted(targetBase + QStringLiteral("map")) + crlf;
    text += QStringLiteral("del ") + Quoted(targetBase + QStringLiteral("lst")) + crlf;
    text += Quoted(assemblerPath) + QStringLiteral(" -fI ") + Quoted(targetBase + QStringLiteral("asm"))
        + QStringLiteral(" -o ") + Quoted(targetBase + QStringLiteral("hex")) + QStringLiteral(" -I ")
        + Quoted(BatchAssemblerFolder(assemblerPath) + QStringLiteral("\\AppNotes"))
        + QStringLiteral(" -w >") + Quoted(targetBase + QStringLiteral("log"))
        + QStringLiteral(" 2>&1") + crlf;
    return text;
}

bool WriteAssemblerBatch(const QString &batchPath, const QString &workFolder,
                         const QString &targetBase, const QString &assemblerPath, QString *error)
{
    const QByteArray bytes = platform::TextEncoding::CommandProcessor().Encode(
        AssemblerBatchText(workFolder, targetBase, assemblerPath));
    return platform::WriteFileAtomically(batchPath, bytes, error);
}

AssemblerCall DirectAssemblerCall(const QString &workFolder, const QString &targetBase,
                                  const QString &assemblerPath)
{
    AssemblerCall call;
    call.workFolder = workFolder;
    call.filesToRemove = {targetBase + QStringLiteral("map"), targetBase + QStringLiteral("lst")};
    call.program = assemblerPath;
    call.arguments = {QStringLiteral("-fI"),
                      targetBase + QStringLiteral("asm"),
                      QStringLiteral("-o"),
                      targetBase + QStringLiteral("hex"),
                      QStringLiteral("-I"),
                      platform::FolderOfPath(assemblerPath) + platform::FolderSeparator() + QStringLiteral("AppNotes"),
                      QStringLiteral("-w")};
    call.logPath = targetBase + QStringLiteral("log");
    return call;
}

} // namespace generator
