#pragma once
// How the assembler is called: the five lines of the batch file that the
// command processor carries out on Windows, and the same five steps as a
// direct call where there is no command processor.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace generator {

/// The five batch lines, each followed by CR LF:
///   cd "<workFolder>"
///   <first two characters of workFolder>
///   del "<targetBase>map"
///   del "<targetBase>lst"
///   "<assembler>" -fI "<base>asm" -o "<base>hex" -I "<assembler folder>\AppNotes" -w >"<base>log" 2>&1
/// The assembler folder is the assembler path up to and including its last
/// "\" (or "/"), so two separators stand before AppNotes. The log path is
/// quoted as well, so a blank in it does not cut the redirection short. The
/// assembler's error messages go into the log too: avra writes them to
/// standard error.
QString AssemblerBatchText(const QString &workFolder, const QString &targetBase,
                           const QString &assemblerPath);

/// The three paths that the batch text is made of.
struct BatchPaths {
    QString workFolder;
    QString targetBase;
    QString assemblerPath;
};

/// How the command processor can be told a path.
struct BatchPathNaming {
    /// True when its code page holds every character of the text.
    std::function<bool(const QString &)> readable;
    /// The short (8.3) spelling of an existing file or folder; empty when
    /// there is none.
    std::function<QString(const QString &)> shortName;
};

/// The command processor's own: the code page it reads a batch file in
/// (TextEncoding::CommandProcessor) and the file system's short names.
BatchPathNaming CommandProcessorNaming();

/// The paths as the command processor can read them: each one its code page
/// holds stays exactly as it is; in one it does not, the existing part (the
/// work folder, the target's folder, the assembler) is named by its short
/// spelling, which must then be readable. nullopt with a German `error`
/// naming the folder, or the target's file name (its files do not all exist
/// yet, so they have no short names), that cannot be named.
std::optional<BatchPaths> ReadableBatchPaths(const BatchPaths &paths,
                                             const BatchPathNaming &naming,
                                             QString *error = nullptr);

/// Replaces `batchPath` atomically by AssemblerBatchText() in the encoding
/// the command processor reads it in (on Windows the console's code page,
/// not the system's 8-bit one, so folder names with umlauts work), with the
/// paths of ReadableBatchPaths(). False with a German `error` naming the
/// file, or the path that the command processor could not read.
bool WriteAssemblerBatch(const QString &batchPath, const QString &workFolder,
                         const QString &targetBase, const QString &assemblerPath,
                         QString *error = nullptr);

/// The batch file's steps for a system without a command processor.
struct AssemblerCall {
    QString workFolder;          ///< the assembler starts in this folder
    QStringList filesToRemove;   ///< base + "map", base + "lst", removed first
    QString program;             ///< the assembler path
    QStringList arguments;       ///< exactly line 5's arguments, unquoted
    QString logPath;             ///< base + "log": all output, a new file
};

/// Line 5 split into its arguments: -fI, source, -o, HEX, -I, include folder
/// (assembler folder + folder separator + "AppNotes"), -w.
AssemblerCall DirectAssemblerCall(const QString &workFolder, const QString &targetBase,
                                  const QString &assemblerPath);

} // namespace generator
