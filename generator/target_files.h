#pragma once
// The files a run names after its target: what each is for and when the run
// removes it. Every guard and every removal asks here, so a new output file
// is one more row in TargetFiles().

#include <QString>
#include <QStringList>

#include <span>

namespace generator {

/// What a file named after the target is for.
enum class TargetFileRole {
    Source,      ///< the template's head and the table listing: the assembler's input
    Log,         ///< the assembler's messages, then the run's summary
    Hex,         ///< the assembler's HEX file for the chip
    ObjectFile,  ///< the assembler's object file
    Batch,       ///< the batch file that calls the assembler (Windows)
    MapFile,     ///< the assembler's map file
    ListFile,    ///< the assembler's list file
    Lock,        ///< held while a run writes into the target
    EepromImage, ///< the assembler's image of the chip's EEPROM
    ProgrammingLog, ///< avrdude's output while it programs the HEX file into the chip
};

/// When a run removes a file of its target.
enum class TargetFileRemoval {
    /// Before the assembler starts; one that cannot go ends the run, since an
    /// older one would pass for this run's (the log, the HEX file and the
    /// programming log of an older HEX file).
    BeforeAssembler,
    /// By the first steps of the assembler call (the map and the list file).
    WithAssemblerCall,
    /// In the clean-up after the run (the object and the batch file).
    AfterRun,
    /// In the clean-up, when the source is to be deleted after the HEX file.
    AfterRunOnRequest,
    /// Never: the run's result, or released by the run itself (the lock).
    Never,
};

struct TargetFile {
    TargetFileRole role;
    /// Appended to the target's base: "asm" for "/daten/servo003.asm".
    const char *extension;
    TargetFileRemoval removal;
};

/// Every file a run and its assembler name after the target, in the order
/// the run removes them.
std::span<const TargetFile> TargetFiles();

/// The base + the extension of `role`: TargetFilePath("/d/servo003.",
/// TargetFileRole::Hex) is "/d/servo003.hex".
QString TargetFilePath(const QString &targetBase, TargetFileRole role);

/// The paths of every target file, in TargetFiles() order.
QStringList TargetFilePaths(const QString &targetBase);

/// The paths of the target files that are removed at `removal`.
QStringList TargetFilePaths(const QString &targetBase, TargetFileRemoval removal);

/// The name under the target's base that is `file` (by its name, or as a
/// link a program writing under that name would write through), or empty.
/// Any name that begins with the base counts, not only TargetFiles(): an
/// assembler may write names the run does not know ("servo07.asm.bak" is
/// taken for the target "servo07.asm").
QString TargetNameThatIs(const QString &targetBase, const QString &file);

} // namespace generator
