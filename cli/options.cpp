#include "cli/options.h"

#include <array>

namespace cli {

namespace {

struct FieldOption {
    const char *name;
    int field;
};

// The order of the window's fields Text1(0) .. Text1(5).
constexpr std::array<FieldOption, 6> fieldOptions = {{
    {"--supply", 0},
    {"--end1", 1},
    {"--end2", 2},
    {"--pulse1", 3},
    {"--pulse2", 4},
    {"--pwm", 5},
}};

const QLatin1String separatorOption("--decimal-separator");
const QLatin1String helpOption("--help");

// Field index of a field option, -1 for the separator option, nullopt otherwise.
std::optional<int> OptionIndex(const QString &name)
{
    for (const FieldOption &option : fieldOptions) {
        if (name == QLatin1String(option.name))
            return option.field;
    }
    if (name == separatorOption)
        return -1;
    return std::nullopt;
}

} // namespace

std::variant<Options, UsageError> ParseOptions(const QStringList &arguments)
{
    Options options;
    if (arguments.contains(helpOption)) {
        options.help = true;
        return options;
    }

    std::array<bool, 7> seen{}; // six fields, then the separator
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!argument.startsWith(QLatin1String("--")))
            return UsageError{QStringLiteral("unexpected argument '%1'").arg(argument)};

        const qsizetype equals = argument.indexOf(u'=');
        const QString name = equals < 0 ? argument : argument.left(equals);
        const std::optional<int> index = OptionIndex(name);
        if (!index)
            return UsageError{QStringLiteral("unknown option '%1'").arg(name)};

        QString value;
        if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else {
            // A following "-..." is taken for an option, never for a value:
            // negative texts are written --end1=-500.
            if (i + 1 >= arguments.size() || arguments.at(i + 1).startsWith(u'-'))
                return UsageError{QStringLiteral("option '%1' needs a value (write %1=TEXT for a "
                                                 "text that begins with '-')")
                                      .arg(name)};
            value = arguments.at(++i);
        }

        const size_t slot = *index < 0 ? 6 : size_t(*index);
        if (seen[slot])
            return UsageError{QStringLiteral("option '%1' is given twice").arg(name)};
        seen[slot] = true;

        if (*index < 0) {
            if (value.size() != 1)
                return UsageError{QStringLiteral("option '%1' needs exactly one character, not '%2'")
                                      .arg(name, value)};
            options.decimalSeparator = value.at(0);
        } else {
            options.texts[size_t(*index)] = value;
        }
    }
    return options;
}

QString UsageText()
{
    return QStringLiteral(
        "Usage: pulsakor-cli [--supply T] [--end1 T] [--end2 T] [--pulse1 T] [--pulse2 T]\n"
        "                    [--pwm T] [--decimal-separator C]\n"
        "\n"
        "Prints the correction table listing for an ATtiny15 servo, exactly as the\n"
        "window writes it into the assembler source (CR LF line ends).\n"
        "\n"
        "Each T is a field text exactly as typed in the window; write --supply=T\n"
        "for a text that begins with '-'.\n"
        "\n"
        "  --supply T              supply voltage of AVR and potentiometer, mV (5000)\n"
        "  --end1 T                potentiometer voltage at one end stop, mV (0500)\n"
        "  --end2 T                potentiometer voltage at the other end stop, mV (4500)\n"
        "  --pulse1 T              pulse width at the --end1 end stop, us (1000)\n"
        "  --pulse2 T              pulse width at the --end2 end stop, us (2000)\n"
        "  --pwm T                 PWM count range, copied as typed (10)\n"
        "  --decimal-separator C   separator in the voltage and pulse comments\n"
        "                          (default: the one of the user's locale)\n"
        "  --help                  show this text\n"
        "\n"
        "Exit status: 0 listing printed, 1 a field or the table was rejected\n"
        "(or the listing could not be written), 2 bad usage.\n");
}

} // namespace cli
