#include "generator/assembler_batch.h"

#include "generator/target_files.h"
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
    const qsizetype last =
        std::max(assemblerPath.lastIndexOf(u'\\'), assemblerPath.lastIndexOf(u'/'));
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
    for (const QString &path : TargetFilePaths(targetBase, TargetFileRemoval::WithAssemblerCall))
        text += QStringLiteral("del ") + Quoted(path) + crlf;
    text += Quoted(assemblerPath) + QStringLiteral(" -fI ")
        + Quoted(TargetFilePath(targetBase, TargetFileRole::Source)) + QStringLiteral(" -o ")
        + Quoted(TargetFilePath(targetBase, TargetFileRole::Hex)) + QStringLiteral(" -I ")
        + Quoted(BatchAssemblerFolder(assemblerPath) + QStringLiteral("\\AppNotes"))
        + QStringLiteral(" -w >") + Quoted(TargetFilePath(targetBase, TargetFileRole::Log))
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
    call.filesToRemove = TargetFilePaths(targetBase, TargetFileRemoval::WithAssemblerCall);
    call.program = assemblerPath;
    call.arguments = {QStringLiteral("-fI"),
                      TargetFilePath(targetBase, TargetFileRole::Source),
                      QStringLiteral("-o"),
                      TargetFilePath(targetBase, TargetFileRole::Hex),
                      QStringLiteral("-I"),
                      platform::FolderOfPath(assemblerPath) + platform::FolderSeparator()
                          + QStringLiteral("AppNotes"),
                      QStringLiteral("-w")};
    call.logPath = TargetFilePath(targetBase, TargetFileRole::Log);
    return call;
}

} // namespace generator
