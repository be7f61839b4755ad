#pragma once
// What a run makes of six field texts that are known to be accepted, built
// the way the run builds it, for tests that compare a run's output with it.

#include "generator/hex_check.h"
#include "generator/table_curve.h"
#include "generator/table_from_fields.h"
#include "generator/table_listing.h"

#include <QByteArray>
#include <QString>

namespace testsupport {

/// The ordered parameters and the table; for texts the run refuses, zeros
/// that no run's output matches, so the comparison fails where an exception
/// would end the whole suite.
inline generator::OrderedTable OrderedTableFor(const generator::ParameterTexts &texts)
{
    return generator::TableFromFields(texts).table.value_or(generator::OrderedTable{});
}

inline QString ListingFor(const generator::ParameterTexts &texts, QChar separator)
{
    const generator::OrderedTable made = OrderedTableFor(texts);
    return generator::BuildTableListing(made.ordered, made.table, separator);
}

inline QByteArray CurveFor(const generator::ParameterTexts &texts, QChar separator)
{
    const generator::OrderedTable made = OrderedTableFor(texts);
    return generator::BuildTableCurve(made.ordered, made.table, separator);
}

/// The bytes the listing puts at the table label.
inline QByteArray TableBytesFor(const generator::ParameterTexts &texts)
{
    const generator::OrderedTable made = OrderedTableFor(texts);
    return generator::TableBytes(made.table, generator::PlainPwmCount(made.ordered.pwmCountText));
}

/// The data bytes of an Intel HEX file from address 0, gaps filled with
/// 0xFF; empty when the file is no Intel HEX.
inline QByteArray HexMemory(const QByteArray &hex)
{
    const auto parsed = generator::ParseIntelHex(hex);
    if (!std::holds_alternative<generator::HexImage>(parsed))
        return {};
    QByteArray memory;
    for (const generator::HexBlock &block : std::get<generator::HexImage>(parsed)) {
        memory.resize(block.address, '\xff');
        memory += block.bytes;
    }
    return memory;
}

} // namespace testsupport
