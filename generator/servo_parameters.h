#pragma once
// The six values of the parameter page, as the generation run holds them.

#include <QString>
#include <QtGlobal>

#include <array>

namespace generator {

/// What each of the six field texts holds, its index in ParameterTexts. The
/// two end stops are numbered as typed; OrderEndStops tells minimum from
/// maximum later.
enum ParameterField : size_t {
    SupplyVoltageField,  ///< supply voltage of AVR and potentiometer, mV
    EndVoltage1Field,    ///< potentiometer voltage at one end stop, mV
    EndVoltage2Field,    ///< potentiometer voltage at the other end stop, mV
    EndPulse1Field,      ///< pulse width wanted at the first end stop, µs
    EndPulse2Field,      ///< pulse width wanted at the other end stop, µs
    PwmCountRangeField,  ///< PWM count range, copied into the listing as typed
    ParameterFieldCount,
};

/// The six field texts, exactly as typed, indexed by ParameterField.
using ParameterTexts = std::array<QString, ParameterFieldCount>;

/// The design texts of the six fields.
inline ParameterTexts DefaultParameterTexts()
{
    return {QStringLiteral("5000"), QStringLiteral("0500"), QStringLiteral("4500"),
            QStringLiteral("1000"), QStringLiteral("2000"), QStringLiteral("10")};
}

/// The captions of the six fields as the window shows them; the two pulse
/// width fields share one.
inline std::array<QString, ParameterFieldCount> ParameterCaptions()
{
    return {QStringLiteral("Betriebsspannung des AVR und Poti"),
            QStringLiteral("Spannung am Poti in der einen Endlage"),
            QStringLiteral("Spannung am Poti in der anderen Endlage"),
            QStringLiteral("Impulsbreite am Kanalimpuls"),
            QStringLiteral("Impulsbreite am Kanalimpuls"),
            QStringLiteral("PWM-Zählumfang")};
}

/// Voltages in units of 10 mV, pulse widths in units of 10 µs. After
/// OrderEndStops, minEndVoltage <= maxEndVoltage and each pulse width still
/// belongs to its own voltage (the pulse widths themselves are not ordered).
struct ServoParameters {
    qint32 supplyVoltage = 0;
    qint32 minEndVoltage = 0;
    qint32 maxEndVoltage = 0;
    qint32 minEndPulse = 0;
    qint32 maxEndPulse = 0;
    QString pwmCountText;

    friend bool operator==(const ServoParameters &, const ServoParameters &) = default;
};

} // namespace generator
