#include "cli/listing_command.h"

#include "generator/correction_table.h"
#include "generator/parameter_text.h"
#include "generator/table_listing.h"

namespace cli {

CommandOutcome RunListing(const generator::ParameterTexts &texts, QChar decimalSeparator)
{
    const auto read = generator::ReadServoParameters(texts);
    if (const auto *rejection = std::get_if<generator::FieldRejection>(&read))
        return {ExitRejected, {}, rejection->message};

    generator::ServoParameters parameters = std::get<generator::ServoParameters>(read);
    generator::OrderEndStops(parameters);

    const auto built = generator::BuildCorrectionTable(parameters);
    if (const auto *rejection = std::get_if<generator::TableRejection>(&built))
        return {ExitRejected, {}, rejection->Message()};

    return {ExitSuccess,
            generator::BuildTableListing(parameters, std::get<generator::CorrectionTable>(built),
                                         decimalSeparator),
            {}};
}

} // namespace cli
