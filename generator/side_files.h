#pragma once

#include <QString>

namespace generator {

/// Deletes the files the run no longer needs: base + "obj" (left by the
/// assembler), base + "bat" and, with the delete-ASM flag, base + "asm".
/// The HEX file and the log always stay. Tries every file; false with a
/// German `error` naming the first file that could not be deleted.
bool RemoveSideFiles(const QString &targetBase, bool deleteAsm, QString *error = nullptr);

} // namespace generator
