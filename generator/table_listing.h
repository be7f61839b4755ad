#pragma once

#include "generator/correction_table.h"
#include "generator/servo_parameters.h"

#include <QChar>
#include <QString>

namespace generator {

/// The 37-line listing (CR LF after every line) that carries the table into
/// the assembler source: three comment lines with the ordered parameters in
/// the "0.00" form, 32 ".db" rows of eight entries, and the two PWM lines
/// with pwmCountText verbatim.
QString BuildTableListing(const ServoParameters &ordered, const CorrectionTable &table,
                          QChar decimalSeparator);

} // namespace generator
