#pragma once
// Looking for the correction table in the HEX file the assembler made: the
// Intel HEX records put together by address, then a search for the table's
// bytes. Pure functions over bytes; the caller reads the file.

#include "generator/correction_table.h"
#include "generator/servo_parameters.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <variant>

namespace generator {

/// One run of bytes at consecutive addresses.
struct HexBlock {
    quint32 address = 0;
    QByteArray bytes;
    friend bool operator==(const HexBlock &, const HexBlock &) = default;
};

/// The data of a HEX file: blocks in increasing address order, never
/// touching or overlapping one another.
using HexImage = QList<HexBlock>;

/// Why a HEX file could not be read: the 1-based line and, in German, what
/// was wrong with it.
struct HexFault {
    int line = 0;
    QString reason;
};

/// Reads Intel HEX text: data records (00) placed by the extended segment
/// (02) and extended linear (04) address records, up to the end record (01);
/// start address records (03, 05) are skipped. Lines may end with LF or
/// CR LF; blank lines are skipped. A line without ':', with a character
/// that is not a hex digit, a wrong length, a wrong checksum, an unknown
/// record type or a missing end record is a HexFault. A byte written twice
/// keeps its later value.
std::variant<HexImage, HexFault> ParseIntelHex(const QByteArray &text);

/// The PWM count as the assembler takes it, when the field text is a plain
/// decimal number from 0 to 255 (blanks and tabs around it allowed, leading
/// zeros too); nullopt for anything else ("", "0x10", "5+5", "256").
std::optional<quint8> PlainPwmCount(const QString &pwmCountText);

/// The bytes the listing puts at the table label: the 256 entries, then the
/// PWM count and 0 when `pwmCount` is given.
QByteArray TableBytes(const CorrectionTable &table, std::optional<quint8> pwmCount);

/// The address of the first place where `bytes` stand in one block of
/// `image`; nullopt when they stand nowhere (or `bytes` is empty).
std::optional<quint32> FindBytes(const HexImage &image, const QByteArray &bytes);

/// What the look for the table in a HEX file found.
struct HexTableCheck {
    /// True when the 256 entries (and the PWM count and 0, where the PWM
    /// text is a plain number) stand in the file.
    bool found = false;
    /// One German sentence that says what was found, naming `shownPath`.
    QString text;
};

/// Looks for the table of `ordered` in the HEX text `hex`. A text that is no
/// Intel HEX (an empty file among them) never holds the table.
HexTableCheck CheckHexForTable(const QByteArray &hex, const QString &shownPath,
                               const ServoParameters &ordered, const CorrectionTable &table);

} // namespace generator
