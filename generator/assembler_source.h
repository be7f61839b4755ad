#pragma once
// The target assembler source: the template's head up to its table label
// line, then the table listing.

#include "platform/text_encoding.h"

#include <QByteArray>
#include <QString>

namespace generator {

/// The template line at which the correction table belongs (43 characters).
QByteArray TableLabelLine();

/// The bytes of the target source: the template's lines (ending at CR LF or a
/// lone CR; a lone LF is part of the line) up to and including the first line
/// that equals TableLabelLine() exactly, or all of them when none does, each
/// copied unchanged and followed by CR LF; then `listing` in `encoding`, CR LF
/// and one more CR LF.
QByteArray AssemblerSourceBytes(const QByteArray &templateBytes, const QString &listing,
                                const platform::TextEncoding &encoding);

/// Reads the template and replaces `targetPath` atomically by the source
/// (listing in the system encoding). False with a German `error` naming the
/// file that could not be read or written; the target is then untouched.
bool WriteAssemblerSource(const QString &templatePath, const QString &targetPath,
                          const QString &listing, QString *error = nullptr);

} // namespace generator
