#pragma once
// Where the window's captions and paths may break into lines.

#include <QString>

class QFontMetrics;

namespace app {

/// Breaks `caption` into lines at its blanks only, each line as long as fits
/// into `width` pixels by `metrics`; a word wider than that stands on a line
/// of its own. Runs of blanks count as one; lines are joined by '\n'.
QString WrapAtBlanks(const QString &caption, const QFontMetrics &metrics, int width);

/// `path` with a zero-width space after each folder separator ('\\' or '/'):
/// a path has no blanks to wrap at, and a label's word wrap breaks a long one
/// there instead of cutting it off at both ends. For display only.
QString WrappablePath(const QString &path);

} // namespace app
