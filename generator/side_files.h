#pragma once

#include <QString>

namespace generator {

/// Deletes the files the run no longer needs: those TargetFiles() removes
/// after the run (the object and the batch file) and, with `deleteSource`, the
/// source. The HEX file and the log always stay. Tries every file; false with a
/// German `error` naming the first file that could not be deleted.
bool RemoveSideFiles(const QString &targetBase, bool deleteSource, QString *error = nullptr);

} // namespace generator
