#include "generator/table_from_fields.h"

#include "generator/parameter_text.h"

namespace generator {

FieldTable TableFromFields(const ParameterTexts &texts)
{
    const auto read = ReadServoParameters(texts);
    if (const auto *rejection = std::get_if<FieldRejection>(&read))
        return {std::nullopt, rejection->message};
    ServoParameters parameters = *std::get_if<ServoParameters>(&read);
    OrderEndStops(parameters);

    const auto built = BuildCorrectionTable(parameters);
    if (const auto *rejection = std::get_if<TableRejection>(&built))
        return {std::nullopt, rejection->Message()};
    return {OrderedTable{parameters, *std::get_if<CorrectionTable>(&built)}, {}};
}

} // namespace generator
