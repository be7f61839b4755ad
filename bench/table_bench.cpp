#include "generator/correction_table.h"
#include "generator/parameter_text.h"
#include "generator/table_listing.h"

#include <benchmark/benchmark.h>

static void TableAndListingForDefaults(benchmark::State &state)
{
    const generator::ParameterTexts texts = generator::DefaultParameterTexts();
    for (auto _ : state) {
        auto p = std::get<generator::ServoParameters>(generator::ReadServoParameters(texts));
        generator::OrderEndStops(p);
        const auto table = std::get<generator::CorrectionTable>(generator::BuildCorrectionTable(p));
        QString listing = generator::BuildTableListing(p, table, u'.');
        benchmark::DoNotOptimize(listing);
    }
}
BENCHMARK(TableAndListingForDefaults);

BENCHMARK_MAIN();
