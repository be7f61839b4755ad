#pragma once
// From the six field texts to the table: read the fields, order the end
// stops, build the table. The window's run, pulsakor-cli's listing and its
// curve all start here.

#include "generator/correction_table.h"
#include "generator/servo_parameters.h"

#include <QString>

#include <optional>

namespace generator {

/// The ordered parameters and the table built from them.
struct OrderedTable {
    ServoParameters ordered;
    CorrectionTable table;
};

/// Either the table or the German message that names the refused field or
/// table entry (the text of the run's "Fataler Fehler..." box).
struct FieldTable {
    std::optional<OrderedTable> table;
    QString rejection;
};

FieldTable TableFromFields(const ParameterTexts &texts);

} // namespace generator
