#include "generator/assembler_batch.h"

#include "generator/target_files.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/short_names.h"
#include "platform/text_encoding.h"

#include <QDir>

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

QString UnreadableFolderMessage(const QString &folder)
{
    return QStringLiteral(
               "Der Name des Ordners \"%1\" enthält Zeichen, die die Eingabeaufforderung "
               "nicht lesen kann, und der Ordner hat keinen kurzen Namen (8.3), unter dem sie "
               "ihn fände: auf seinem Laufwerk sind kurze Namen abgeschaltet. Der Assembler "
               "wurde nicht gestartet. Bitte einen Ordner wählen, dessen Name nur Buchstaben "
               "der Eingabeaufforderung enthält.")
        .arg(QDir::toNativeSeparators(folder));
}

QString UnreadableFileNameMessage(const QString &path)
{
    return QStringLiteral("Der Dateiname \"%1\" enthält Zeichen, die die Eingabeaufforderung "
                          "nicht lesen kann. Der Assembler wurde nicht gestartet. Bitte einen "
                          "Namen ohne diese Zeichen wählen.")
        .arg(QDir::toNativeSeparators(path));
}

// An existing file or folder as the command processor can read it: as it
// is, or by its short spelling; nullopt when neither can be read.
std::optional<QString> ReadableExisting(const QString &path, const BatchPathNaming &naming)
{
    if (naming.readable(path))
        return path;
    const QString shortName = naming.shortName(path);
    if (shortName.isEmpty() || !naming.readable(shortName))
        return std::nullopt;
    return shortName;
}

// The folder part of `path` by its short spelling where needed, the rest as
// it is; the rest must be readable itself.
std::optional<QString> ReadableInFolder(const QString &path, const BatchPathNaming &naming,
                                        const QString &shownName, QString *error)
{
    if (naming.readable(path))
        return path;
    const QString folder = platform::FolderOfPath(path);
    const QString name = path.mid(folder.size());
    if (!naming.readable(name)) {
        if (error)
            *error = UnreadableFileNameMessage(shownName);
        return std::nullopt;
    }
    const std::optional<QString> readableFolder = ReadableExisting(folder, naming);
    if (!readableFolder) {
        if (error)
            *error = UnreadableFolderMessage(folder);
        return std::nullopt;
    }
    return *readableFolder + name;
}

} // namespace

BatchPathNaming CommandProcessorNaming()
{
    return {[](const QString &text) {
                return platform::TextEncoding::CommandProcessor().Holds(text);
            },
            &platform::ShortPathName};
}

std::optional<BatchPaths> ReadableBatchPaths(const BatchPaths &paths,
                                             const BatchPathNaming &naming, QString *error)
{
    BatchPaths readable;
    const std::optional<QString> workFolder = ReadableExisting(paths.workFolder, naming);
    if (!workFolder) {
        if (error)
            *error = UnreadableFolderMessage(paths.workFolder);
        return std::nullopt;
    }
    readable.workFolder = *workFolder;
    const std::optional<QString> targetBase =
        ReadableInFolder(paths.targetBase, naming,
                         TargetFilePath(paths.targetBase, TargetFileRole::Source), error);
    if (!targetBase)
        return std::nullopt;
    readable.targetBase = *targetBase;
    // The assembler exists (the run has looked); its include folder follows
    // the spelling chosen here.
    if (const std::optional<QString> assembler = ReadableExisting(paths.assemblerPath, naming)) {
        readable.assemblerPath = *assembler;
        return readable;
    }
    // Its folder by its short spelling, or what says which part cannot be.
    const std::optional<QString> inFolder =
        ReadableInFolder(paths.assemblerPath, naming, paths.assemblerPath, error);
    if (!inFolder)
        return std::nullopt;
    readable.assemblerPath = *inFolder;
    return readable;
}

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
    const std::optional<BatchPaths> paths = ReadableBatchPaths(
        {workFolder, targetBase, assemblerPath}, CommandProcessorNaming(), error);
    if (!paths)
        return false;
    const QByteArray bytes = platform::TextEncoding::CommandProcessor().Encode(
        AssemblerBatchText(paths->workFolder, paths->targetBase, paths->assemblerPath));
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
