#include "cli/options.h"

#include "platform/paths.h"

#include <algorithm>
#include <array>

namespace cli {

namespace {

enum class Slot { Field0, Field1, Field2, Field3, Field4, Field5, Separator, Template, Out,
                  Assembler, DeleteAsm, Plot, Count };

struct OptionName {
    const char *name;
    Slot slot;
};

// The six fields in the order of the window's Text1(0) .. Text1(5) first.
constexpr std::array<OptionName, size_t(Slot::Count)> kOptionNames = {{
    {"--supply", Slot::Field0},
    {"--end1", Slot::Field1},
    {"--end2", Slot::Field2},
    {"--pulse1", Slot::Field3},
    {"--pulse2", Slot::Field4},
    {"--pwm", Slot::Field5},
    {"--decimal-separator", Slot::Separator},
    {"--template", Slot::Template},
    {"--out", Slot::Out},
    {"--assembler", Slot::Assembler},
    {"--delete-asm", Slot::DeleteAsm},
    {"--plot", Slot::Plot},
}};

const QLatin1String kHelpOption("--help");

std::optional<Slot> SlotOf(const QString &name)
{
    for (const OptionName &option : kOptionNames) {
        if (name == QLatin1String(option.name))
            return option.slot;
    }
    return std::nullopt;
}

bool IsPathSlot(Slot slot)
{
    return slot == Slot::Template || slot == Slot::Out || slot == Slot::Assembler
        || slot == Slot::Plot;
}

bool IsUsableSeparator(QChar c)
{
    return c.isPrint() && !c.isSpace() && !c.isDigit() && c != u'+' && c != u'-'
        && !c.isSurrogate();
}

// A given text that cannot be shown as it is (a line end, a control
// character) is named by its code points.
QString Shown(const QString &value)
{
    if (value.isEmpty())
        return QStringLiteral("nichts");
    const auto showable = [](QChar c) { return c.isPrint() && !c.isSpace() && !c.isSurrogate(); };
    if (std::all_of(value.cbegin(), value.cend(), showable))
        return u'\'' + value + u'\'';
    QStringList codes;
    for (const QChar c : value)
        codes.append(QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QChar(u'0')).toUpper());
    return codes.join(u' ');
}

QString SeparatorRefusal(const QString &value)
{
    return QStringLiteral("Das Dezimaltrennzeichen (--decimal-separator) muss genau ein "
                          "druckbares Zeichen sein, keine Ziffer, kein Vorzeichen und kein "
                          "Leerzeichen; angegeben war %1.")
        .arg(Shown(value));
}

} // namespace

std::variant<Options, UsageError> ParseOptions(const QStringList &arguments,
                                               const QStringList &fileNameArguments)
{
    const bool haveFileNames = fileNameArguments.size() == arguments.size();
    Options options;
    if (arguments.contains(kHelpOption)) {
        options.help = true;
        return options;
    }

    std::array<bool, size_t(Slot::Count)> seen{};
    RunRequest run;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!argument.startsWith(QLatin1String("--")))
            return UsageError{QStringLiteral("unexpected argument '%1'").arg(argument)};

        const qsizetype equals = argument.indexOf(u'=');
        const QString name = equals < 0 ? argument : argument.left(equals);
        const std::optional<Slot> slot = SlotOf(name);
        if (!slot)
            return UsageError{QStringLiteral("unknown option '%1'").arg(name)};
        if (seen[size_t(*slot)])
            return UsageError{QStringLiteral("option '%1' is given twice").arg(name)};
        seen[size_t(*slot)] = true;

        if (*slot == Slot::DeleteAsm) {
            if (equals >= 0)
                return UsageError{QStringLiteral("option '%1' takes no value").arg(name)};
            run.deleteAsm = true;
            continue;
        }

        QString value;
        // A path is taken as the file system spells it; the option's name
        // and '=' are ASCII in both spellings.
        const QStringList &source =
            haveFileNames && IsPathSlot(*slot) ? fileNameArguments : arguments;
        if (equals >= 0) {
            value = source.at(i).mid(equals + 1);
        } else {
            // A following "-..." is taken for an option, never for a value:
            // negative texts are written --end1=-500. "--plot -" names
            // standard output.
            const bool standardOutput =
                *slot == Slot::Plot && i + 1 < arguments.size() && arguments.at(i + 1) == u'-';
            if (i + 1 >= arguments.size()
                || (arguments.at(i + 1).startsWith(u'-') && !standardOutput))
                return UsageError{QStringLiteral("option '%1' needs a value (write %1=TEXT for a "
                                                 "text that begins with '-')")
                                      .arg(name)};
            value = source.at(++i);
        }
        if (IsPathSlot(*slot) && value.isEmpty())
            return UsageError{QStringLiteral("option '%1' needs a file name").arg(name)};

        switch (*slot) {
        case Slot::Separator:
            // The separator stands inside numbers of the listing, the source
            // and the log: a line end, a digit, a sign or a blank there would
            // break a line or change a number ("5" made "5500 Volt").
            if (value.size() != 1 || !IsUsableSeparator(value.at(0)))
                return UsageError{SeparatorRefusal(value)};
            options.decimalSeparator = value.at(0);
            break;
        case Slot::Template:
            run.templatePath = value;
            break;
        case Slot::Out:
            // The output names come from the file name; a folder has none.
            if (platform::EndsWithFolderSeparator(value))
                return UsageError{QStringLiteral("option '--out' needs a file name, not the "
                                                 "folder '%1'")
                                      .arg(value)};
            run.targetPath = value;
            break;
        case Slot::Assembler:
            run.assemblerPath = value;
            break;
        case Slot::Plot:
            options.plotPath = value;
            break;
        default:
            options.texts[size_t(*slot)] = value;
            break;
        }
    }

    const bool haveTemplate = seen[size_t(Slot::Template)];
    const bool haveOut = seen[size_t(Slot::Out)];
    if (haveTemplate != haveOut)
        return UsageError{QStringLiteral("options '--template' and '--out' go together")};
    if (!haveTemplate && (seen[size_t(Slot::Assembler)] || seen[size_t(Slot::DeleteAsm)]))
        return UsageError{QStringLiteral("options '--assembler' and '--delete-asm' need "
                                         "'--template' and '--out'")};
    if (haveTemplate)
        options.run = run;
    return options;
}

QString UsageText()
{
    const generator::ParameterTexts defaults = generator::DefaultParameterTexts();
    return QStringLiteral(
        "Usage: pulsakor-cli [--supply T] [--end1 T] [--end2 T] [--pulse1 T] [--pulse2 T]\n"
        "                    [--pwm T] [--decimal-separator C]\n"
        "                    [--template FILE --out TARGET [--assembler PATH] [--delete-asm]]\n"
        "                    [--plot FILE.svg]\n"
        "\n"
        "Without --template and --out: prints the correction table listing for an\n"
        "ATtiny15 servo, exactly as the window writes it into the assembler source\n"
        "(CR LF line ends).\n"
        "\n"
        "With --template and --out: the whole generation run of the window. Writes\n"
        "the assembler source, runs the assembler, writes the log, removes the side\n"
        "files and prints the log; then checks that the HEX file holds the table.\n"
        "\n"
        "Each T is a field text exactly as typed in the window; write --supply=T\n"
        "for a text that begins with '-'.\n"
        "\n"
        "  --supply T              supply voltage of AVR and potentiometer, mV (%1)\n"
        "  --end1 T                potentiometer voltage at one end stop, mV (%2)\n"
        "  --end2 T                potentiometer voltage at the other end stop, mV (%3)\n"
        "  --pulse1 T              pulse width at the --end1 end stop, us (%4)\n"
        "  --pulse2 T              pulse width at the --end2 end stop, us (%5)\n"
        "  --pwm T                 PWM count range, copied as typed (%6)\n"
        "  --decimal-separator C   separator in the voltage and pulse comments\n"
        "                          (default: the one of the user's locale)\n"
        "  --template FILE         firmware template, named servo??.asm\n"
        "  --out TARGET            target file, e.g. servo000.asm; every output file\n"
        "                          is named after it (.asm, .hex, .log)\n"
        "  --assembler PATH        the assembler program; a bare name is looked up on\n"
        "                          PATH (default: the installed one)\n"
        "  --delete-asm            delete the assembler source after the run\n"
        "  --plot FILE.svg         also draw the table as a curve (SVG) into FILE.svg;\n"
        "                          with '-' the curve goes to standard output instead\n"
        "                          of the listing or the log\n"
        "  --help                  show this text\n"
        "\n"
        "Exit status: 0 success; 1 the template name, a field or the table was\n"
        "rejected (nothing written); 2 bad usage; 3 the assembler is missing or\n"
        "failed, or the HEX file lacks the table; 4 a file could not be read or\n"
        "written, or the target would overwrite the template.\n")
        .arg(defaults[0], defaults[1], defaults[2], defaults[3], defaults[4], defaults[5]);
}

} // namespace cli
