#include "cli/listing_command.h"

#include "generator/parameter_text.h"
#include "generator/table_curve.h"
#include "generator/table_listing.h"

namespace cli {

std::variant<ComputedTable, QString> ComputeTable(const generator::ParameterTexts &texts)
{
    const auto read = generator::ReadServoParameters(texts);
    if (const auto *rejection = std::get_if<generator::FieldRejection>(&read))
        return rejection->message;

    generator::ServoParameters parameters = std::get<generator::ServoParameters>(read);
    generator::OrderEndStops(parameters);

    const auto built = generator::BuildCorrectionTable(parameters);
    if (const auto *rejection = std::get_if<generator::TableRejection>(&built))
        return rejection->Message();
    return ComputedTable{parameters, std::get<generator::CorrectionTable>(built)};
}

CommandOutcome RunListing(const generator::ParameterTexts &texts, QChar decimalSeparator)
{
    const auto computed = ComputeTable(texts);
    if (const auto *rejection = std::get_if<QString>(&computed))
        return {ExitRejected, {}, *rejection};
    const auto &[ordered, table] = std::get<ComputedTable>(computed);
    return {ExitSuccess, generator::BuildTableListing(ordered, table, decimalSeparator), {}};
}

QByteArray CurveFor(const generator::ParameterTexts &texts, QChar decimalSeparator)
{
    const auto computed = ComputeTable(texts);
    if (std::holds_alternative<QString>(computed))
        return {};
    const auto &[ordered, table] = std::get<ComputedTable>(computed);
    return generator::BuildTableCurve(ordered, table, decimalSeparator);
}

} // namespace cli
