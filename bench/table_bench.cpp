#include "generator/correction_table.h"
#include "generator/parameter_text.h"
#include "generator/table_curve.h"
#include "generator/table_from_fields.h"
#include "generator/table_listing.h"

#include <benchmark/benchmark.h>

namespace {

generator::OrderedTable DefaultTable()
{
    return generator::TableFromFields(generator::DefaultParameterTexts()).table.value();
}

} // namespace

// What one press of the generate button costs before any file is touched:
// reading the six fields, ordering, the table and its listing.
static void TableAndListingForDefaults(benchmark::State &state)
{
    const generator::ParameterTexts texts = generator::DefaultParameterTexts();
    for (auto _ : state) {
        const auto computed = generator::TableFromFields(texts);
        QString listing =
            generator::BuildTableListing(computed.table->ordered, computed.table->table, u'.');
        benchmark::DoNotOptimize(listing);
    }
}
BENCHMARK(TableAndListingForDefaults);

static void ReadParameters(benchmark::State &state)
{
    const generator::ParameterTexts texts = generator::DefaultParameterTexts();
    for (auto _ : state) {
        auto read = generator::ReadServoParameters(texts);
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(ReadParameters);

static void TableOnly(benchmark::State &state)
{
    const generator::ServoParameters p = DefaultTable().ordered;
    for (auto _ : state) {
        auto table = generator::BuildCorrectionTable(p);
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(TableOnly);

static void ListingOnly(benchmark::State &state)
{
    const auto [p, table] = DefaultTable();
    for (auto _ : state) {
        QString listing = generator::BuildTableListing(p, table, u'.');
        benchmark::DoNotOptimize(listing);
    }
}
BENCHMARK(ListingOnly);

// The SVG curve of --plot: 256 steps, axes and end-stop marks.
static void CurveOnly(benchmark::State &state)
{
    const auto [p, table] = DefaultTable();
    for (auto _ : state) {
        QByteArray svg = generator::BuildTableCurve(p, table, u'.');
        benchmark::DoNotOptimize(svg);
    }
}
BENCHMARK(CurveOnly);

BENCHMARK_MAIN();
