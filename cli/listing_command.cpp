#include "cli/listing_command.h"

#include "generator/table_from_fields.h"
#include "generator/table_curve.h"
#include "generator/table_listing.h"

namespace cli {

CommandOutcome RunListing(const generator::ParameterTexts &texts, QChar decimalSeparator)
{
    const generator::FieldTable computed = generator::TableFromFields(texts);
    if (!computed.table)
        return {ExitRejected, {}, computed.rejection};
    const auto &[ordered, table] = *computed.table;
    return {ExitSuccess, generator::BuildTableListing(ordered, table, decimalSeparator), {}};
}

QByteArray CurveFor(const generator::ParameterTexts &texts, QChar decimalSeparator)
{
    const generator::FieldTable computed = generator::TableFromFields(texts);
    if (!computed.table)
        return {};
    const auto &[ordered, table] = *computed.table;
    return generator::BuildTableCurve(ordered, table, decimalSeparator);
}

} // namespace cli
