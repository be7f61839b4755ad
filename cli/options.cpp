#include "cli/options.h"

#include "generator/end_stops.h"
#include "platform/paths.h"

#include <algorithm>
#include <array>

namespace cli {

namespace {

// The six field options first, in ParameterField order.
enum class Slot { Supply, End1, End2, Pulse1, Pulse2, Pwm, Separator, Template, Out, Assembler,
                  DeleteSource, Plot, Programmer, Port, Baud, Avrdude, CalibrationEeprom, Flash,
                  TeachIn, ReadEndStops, Count };
static_assert(size_t(Slot::Pwm) == generator::PwmCountRangeField);

// What follows an option's name: a text, a file name (taken as the file
// system spells it, never empty) or nothing.
enum class Takes { Text, Path, Nothing };

struct OptionName {
    const char *name;
    Slot slot;
    Takes takes;
};

constexpr std::array<OptionName, size_t(Slot::Count)> kOptionNames = {{
    {"--supply", Slot::Supply, Takes::Text},
    {"--end1", Slot::End1, Takes::Text},
    {"--end2", Slot::End2, Takes::Text},
    {"--pulse1", Slot::Pulse1, Takes::Text},
    {"--pulse2", Slot::Pulse2, Takes::Text},
    {"--pwm", Slot::Pwm, Takes::Text},
    {"--decimal-separator", Slot::Separator, Takes::Text},
    {"--template", Slot::Template, Takes::Path},
    {"--out", Slot::Out, Takes::Path},
    {"--assembler", Slot::Assembler, Takes::Path},
    {"--delete-asm", Slot::DeleteSource, Takes::Nothing},
    {"--plot", Slot::Plot, Takes::Path},
    {"--programmer", Slot::Programmer, Takes::Text},
    {"--port", Slot::Port, Takes::Text},
    {"--baud", Slot::Baud, Takes::Text},
    {"--avrdude", Slot::Avrdude, Takes::Path},
    {"--calibration-eeprom", Slot::CalibrationEeprom, Takes::Text},
    {"--flash", Slot::Flash, Takes::Path},
    {"--teach-in", Slot::TeachIn, Takes::Nothing},
    {"--read-end-stops", Slot::ReadEndStops, Takes::Nothing},
}};

const QLatin1String kHelpOption("--help");
const QLatin1String kVersionOption("--version");

const OptionName *OptionNamed(const QString &name)
{
    for (const OptionName &option : kOptionNames) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    return nullptr;
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

// One option as given on the command line.
struct GivenOption {
    QString name;
    const OptionName *option = nullptr;
    QString value;
};

using SeenOptions = std::array<bool, size_t(Slot::Count)>;

// The value after `name` at arguments[*i]: after "=" in the same argument or
// in the next one, which *i then moves to. A path is taken from
// `fileNames`, as the file system spells it; the option's name and "=" are
// ASCII in both spellings.
std::variant<QString, UsageError> ReadValue(const QStringList &arguments,
                                            const QStringList &fileNames, qsizetype *i,
                                            const GivenOption &given)
{
    const QStringList &source = given.option->takes == Takes::Path ? fileNames : arguments;
    const qsizetype equals = arguments.at(*i).indexOf(u'=');
    if (equals >= 0)
        return source.at(*i).mid(equals + 1);
    // A following "-..." is taken for an option, never for a value: negative
    // texts are written --end1=-500. "--plot -" names standard output.
    const bool standardOutput = given.option->slot == Slot::Plot && *i + 1 < arguments.size()
        && arguments.at(*i + 1) == u'-';
    if (*i + 1 >= arguments.size() || (arguments.at(*i + 1).startsWith(u'-') && !standardOutput))
        return UsageError{QStringLiteral("Option '%1' braucht einen Wert (%1=TEXT für einen "
                                         "Text, der mit '-' beginnt)")
                              .arg(given.name)};
    return source.at(++*i);
}

// Reads the option at arguments[*i] and its value, moving *i past both.
// An option already in `seen` is refused before its value is looked at.
std::variant<GivenOption, UsageError> ReadOption(const QStringList &arguments,
                                                 const QStringList &fileNames, qsizetype *i,
                                                 SeenOptions *seen)
{
    const QString &argument = arguments.at(*i);
    if (!argument.startsWith(QLatin1String("--")))
        return UsageError{QStringLiteral("unerwartetes Argument '%1'").arg(argument)};
    const qsizetype equals = argument.indexOf(u'=');
    GivenOption given;
    given.name = equals < 0 ? argument : argument.left(equals);
    given.option = OptionNamed(given.name);
    if (!given.option)
        return UsageError{QStringLiteral("unbekannte Option '%1'").arg(given.name)};
    bool &seenBefore = (*seen)[size_t(given.option->slot)];
    if (seenBefore)
        return UsageError{QStringLiteral("Option '%1' ist doppelt angegeben").arg(given.name)};
    seenBefore = true;

    if (given.option->takes == Takes::Nothing) {
        if (equals >= 0)
            return UsageError{QStringLiteral("Option '%1' nimmt keinen Wert").arg(given.name)};
        return given;
    }
    auto value = ReadValue(arguments, fileNames, i, given);
    if (const auto *error = std::get_if<UsageError>(&value))
        return *error;
    given.value = std::get<QString>(value);
    if (given.option->takes == Takes::Path && given.value.isEmpty())
        return UsageError{QStringLiteral("Option '%1' braucht einen Dateinamen").arg(given.name)};
    return given;
}

// A plain decimal number from `low` to `high`: no sign, no blanks.
std::optional<int> PlainNumber(const QString &text, int low, int high)
{
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (text.isEmpty() || text.size() > 9 || !std::all_of(text.cbegin(), text.cend(), digit))
        return std::nullopt;
    const int value = text.toInt();
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

// The programming options' values; a refusal for a value they cannot take.
std::optional<UsageError> ApplyProgramming(const GivenOption &given,
                                           ProgrammingOptions *programming)
{
    const QString &value = given.value;
    switch (given.option->slot) {
    case Slot::Programmer:
    case Slot::Port:
        // avrdude would read a value that begins with "-" as an option.
        if (value.isEmpty() || value.startsWith(u'-'))
            return UsageError{QStringLiteral("Option '%1' braucht einen Namen, der nicht mit "
                                             "'-' beginnt")
                                  .arg(given.name)};
        (given.option->slot == Slot::Programmer ? programming->programmer : programming->port) =
            value;
        break;
    case Slot::Baud:
        programming->baudRate = PlainNumber(value, 1, 99'999'999);
        if (!programming->baudRate)
            return UsageError{QStringLiteral("Die Baudrate (--baud) muss eine positive ganze "
                                             "Zahl sein; angegeben war %1.")
                                  .arg(Shown(value))};
        break;
    case Slot::Avrdude:
        programming->avrdudePath = value;
        break;
    case Slot::CalibrationEeprom:
        if (value == QLatin1String("none")) {
            programming->calibrationAddress.reset();
            break;
        }
        programming->calibrationAddress = PlainNumber(value, 0, 63);
        if (!programming->calibrationAddress)
            return UsageError{QStringLiteral("Die EEPROM-Adresse des Kalibrierbytes "
                                             "(--calibration-eeprom) muss 0 bis 63 oder 'none' "
                                             "sein; angegeben war %1.")
                                  .arg(Shown(value))};
        break;
    default:
        break;
    }
    return std::nullopt;
}

// Puts a read option into the record; refuses a value it cannot take.
std::optional<UsageError> Apply(const GivenOption &given, Options *options, RunRequest *run,
                                ProgrammingOptions *programming)
{
    const QString &value = given.value;
    switch (given.option->slot) {
    case Slot::Programmer:
    case Slot::Port:
    case Slot::Baud:
    case Slot::Avrdude:
    case Slot::CalibrationEeprom:
        return ApplyProgramming(given, programming);
    case Slot::Flash:
        options->flashPath = value;
        break;
    case Slot::TeachIn:
        options->teachIn = true;
        break;
    case Slot::ReadEndStops:
        options->readEndStops = true;
        break;
    case Slot::Separator:
        // The separator stands inside numbers of the listing, the source and
        // the log: a line end, a digit, a sign or a blank there would break a
        // line or change a number ("5" made "5500 Volt").
        if (value.size() != 1 || !IsUsableSeparator(value.at(0)))
            return UsageError{SeparatorRefusal(value)};
        options->decimalSeparator = value.at(0);
        break;
    case Slot::Template:
        run->templatePath = value;
        break;
    case Slot::Out:
        // The output names come from the file name; a folder has none.
        if (platform::EndsWithFolderSeparator(value))
            return UsageError{QStringLiteral("Option '--out' braucht einen Dateinamen, nicht "
                                             "den Ordner '%1'")
                                  .arg(value)};
        run->targetPath = value;
        break;
    case Slot::Assembler:
        run->assemblerPath = value;
        break;
    case Slot::DeleteSource:
        run->deleteSource = true;
        break;
    case Slot::Plot:
        options->plotPath = value;
        break;
    default:
        options->texts[size_t(given.option->slot)] = value;
        break;
    }
    return std::nullopt;
}

// The options of the whole run come together or not at all.
std::optional<UsageError> CheckRunOptions(const SeenOptions &seen)
{
    const bool haveTemplate = seen[size_t(Slot::Template)];
    if (haveTemplate != seen[size_t(Slot::Out)])
        return UsageError{
            QStringLiteral("die Optionen '--template' und '--out' gehören zusammen")};
    if (!haveTemplate && (seen[size_t(Slot::Assembler)] || seen[size_t(Slot::DeleteSource)]))
        return UsageError{QStringLiteral("die Optionen '--assembler' und '--delete-asm' brauchen "
                                         "'--template' und '--out'")};
    return std::nullopt;
}

// A line that only works on the chip: its option, the programmer's options
// and one more, nothing of a run or of the table.
struct ChipTask {
    Slot slot;
    const char *name;
    Slot extra;
    const char *refusal;
};

constexpr std::array<ChipTask, 3> kChipTasks = {{
    {Slot::Flash, "--flash", Slot::CalibrationEeprom,
     "Option '--flash' programmiert nur eine HEX-Datei und nimmt keine Option des Laufs oder "
     "der Tabelle"},
    {Slot::TeachIn, "--teach-in", Slot::CalibrationEeprom,
     "Option '--teach-in' programmiert nur die Einlern-Firmware und nimmt nur die Optionen "
     "'--programmer', '--port', '--baud', '--avrdude' und '--calibration-eeprom'"},
    {Slot::ReadEndStops, "--read-end-stops", Slot::Supply,
     "Option '--read-end-stops' liest nur die Endlagen aus und nimmt nur die Optionen "
     "'--programmer', '--port', '--baud', '--avrdude' und '--supply'"},
}};

std::optional<UsageError> CheckChipTask(const ChipTask &task, const SeenOptions &seen)
{
    if (!seen[size_t(Slot::Programmer)])
        return UsageError{
            QStringLiteral("Option '%1' braucht '--programmer'").arg(QLatin1String(task.name))};
    for (size_t slot = 0; slot < seen.size(); ++slot) {
        const bool programmers = slot >= size_t(Slot::Programmer) && slot <= size_t(Slot::Avrdude);
        if (seen[slot] && !programmers && slot != size_t(task.slot) && slot != size_t(task.extra))
            return UsageError{QString::fromUtf8(task.refusal)};
    }
    return std::nullopt;
}

// The programming options go with --programmer, and --programmer with a run
// or one task on the chip alone.
std::optional<UsageError> CheckProgrammingOptions(const SeenOptions &seen)
{
    for (const Slot slot : {Slot::Port, Slot::Baud, Slot::Avrdude, Slot::CalibrationEeprom}) {
        if (seen[size_t(slot)] && !seen[size_t(Slot::Programmer)])
            return UsageError{QStringLiteral("die Optionen '--port', '--baud', '--avrdude' und "
                                             "'--calibration-eeprom' brauchen '--programmer'")};
    }
    const auto given = [&seen](const ChipTask &task) { return seen[size_t(task.slot)]; };
    if (std::count_if(kChipTasks.cbegin(), kChipTasks.cend(), given) > 1)
        return UsageError{QStringLiteral("die Optionen '--flash', '--teach-in' und "
                                         "'--read-end-stops' schließen einander aus")};
    const auto task = std::find_if(kChipTasks.cbegin(), kChipTasks.cend(), given);
    if (task != kChipTasks.cend())
        return CheckChipTask(*task, seen);
    if (seen[size_t(Slot::Programmer)] && !seen[size_t(Slot::Template)])
        return UsageError{QStringLiteral("Option '--programmer' braucht '--template' und "
                                         "'--out', '--flash', '--teach-in' oder "
                                         "'--read-end-stops'")};
    return std::nullopt;
}

} // namespace

std::variant<Options, UsageError> ParseOptions(const QStringList &arguments,
                                               const QStringList &fileNameArguments)
{
    Options options;
    if (arguments.contains(kHelpOption)) {
        options.help = true;
        return options;
    }
    if (arguments.contains(kVersionOption)) {
        options.version = true;
        return options;
    }
    const QStringList &fileNames =
        fileNameArguments.size() == arguments.size() ? fileNameArguments : arguments;
    SeenOptions seen{};
    RunRequest run;
    ProgrammingOptions programming;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const auto read = ReadOption(arguments, fileNames, &i, &seen);
        if (const auto *error = std::get_if<UsageError>(&read))
            return *error;
        if (const auto error = Apply(std::get<GivenOption>(read), &options, &run, &programming))
            return *error;
    }
    if (const auto error = CheckRunOptions(seen))
        return *error;
    if (const auto error = CheckProgrammingOptions(seen))
        return *error;
    if (options.teachIn) {
        if (const auto refusal =
                generator::TeachInCalibrationRefusal(programming.calibrationAddress))
            return UsageError{QStringLiteral("Option '--teach-in': ") + *refusal};
    }
    if (seen[size_t(Slot::Template)])
        options.run = run;
    if (seen[size_t(Slot::Programmer)])
        options.programming = programming;
    return options;
}

QString UsageText()
{
    const generator::ParameterTexts defaults = generator::DefaultParameterTexts();
    return QStringLiteral(
        "Aufruf: pulsakor-cli [--supply T] [--end1 T] [--end2 T] [--pulse1 T] [--pulse2 T]\n"
        "                     [--pwm T] [--decimal-separator Z]\n"
        "                     [--template DATEI --out ZIEL [--assembler PFAD] [--delete-asm]]\n"
        "                     [--plot DATEI.svg]\n"
        "                     [--programmer ID [--port ANSCHLUSS] [--baud N]\n"
        "                      [--avrdude PFAD] [--calibration-eeprom ADRESSE|none]]\n"
        "        pulsakor-cli --flash DATEI.hex --programmer ID [--port ANSCHLUSS]\n"
        "                     [--baud N] [--avrdude PFAD] [--calibration-eeprom ADRESSE|none]\n"
        "        pulsakor-cli --teach-in --programmer ID [--port ANSCHLUSS] [--baud N]\n"
        "                     [--avrdude PFAD] [--calibration-eeprom ADRESSE|none]\n"
        "        pulsakor-cli --read-end-stops --programmer ID [--port ANSCHLUSS] [--baud N]\n"
        "                     [--avrdude PFAD] [--supply T]\n"
        "\n"
        "Ohne --template und --out: gibt das Listing der Korrekturtabelle für einen\n"
        "ATtiny15-Servo aus, genau so, wie das Fenster es in den Assembler-Quelltext\n"
        "schreibt (Zeilenenden CR LF).\n"
        "\n"
        "Mit --template und --out: der ganze Erzeugungslauf des Fensters. Schreibt den\n"
        "Assembler-Quelltext, startet den Assembler, schreibt das Log, löscht die\n"
        "Nebendateien und gibt das Log aus; dann prüft es, ob die HEX-Datei die\n"
        "Tabelle enthält.\n"
        "\n"
        "Jedes T ist ein Feldtext, genau wie im Fenster getippt; ein Text, der mit\n"
        "'-' beginnt, wird als --supply=T geschrieben.\n"
        "\n"
        "  --supply T              Betriebsspannung des AVR und Poti, mV (%1)\n"
        "  --end1 T                Spannung am Poti in der einen Endlage, mV (%2)\n"
        "  --end2 T                Spannung am Poti in der anderen Endlage, mV (%3)\n"
        "  --pulse1 T              Impulsbreite in der Endlage von --end1, µs (%4)\n"
        "  --pulse2 T              Impulsbreite in der Endlage von --end2, µs (%5)\n"
        "  --pwm T                 PWM-Zählumfang, so übernommen, wie er dasteht (%6)\n"
        "  --decimal-separator Z   Dezimaltrennzeichen in den Kommentaren zu Spannung\n"
        "                          und Impulsbreite (sonst das der Spracheinstellung)\n"
        "  --template DATEI        die Vorlage der Firmware, Name servo??.asm\n"
        "  --out ZIEL              die Zieldatei, z. B. servo000.asm; alle Ausgabedateien\n"
        "                          heißen nach ihr (.asm, .hex, .log)\n"
        "  --assembler PFAD        das Assembler-Programm; ein bloßer Name wird im PATH\n"
        "                          gesucht (sonst das installierte)\n"
        "  --delete-asm            den Assembler-Quelltext nach dem Lauf löschen\n"
        "  --plot DATEI.svg        die Tabelle auch als Kurve (SVG) in DATEI.svg zeichnen;\n"
        "                          mit '-' geht die Kurve statt des Listings oder des\n"
        "                          Logs auf die Standardausgabe\n"
        "  --programmer ID         nach dem Lauf den ATtiny15 mit der HEX-Datei\n"
        "                          programmieren, mit dem avrdude-Programmer ID (-c),\n"
        "                          z. B. usbasp, usbtiny, avrisp2, stk500v1, arduino\n"
        "  --port ANSCHLUSS        Anschluss des Programmers (-P), z. B. usb,\n"
        "                          /dev/ttyUSB0, COM3 (sonst der von avrdude)\n"
        "  --baud N                Baudrate des Programmers (-b)\n"
        "  --avrdude PFAD          das Programm avrdude; ein bloßer Name wird im PATH\n"
        "                          gesucht (sonst das installierte)\n"
        "  --calibration-eeprom ADRESSE|none\n"
        "                          EEPROM-Adresse 0..63 für das Kalibrierbyte des\n"
        "                          Chips (sonst 0); none: nicht ins EEPROM schreiben\n"
        "  --flash DATEI.hex       nur die vorhandene HEX-Datei programmieren; neben\n"
        "                          ihr entsteht allein das Programmier-Log\n"
        "                          (DATEI.avrdude.log)\n"
        "  --teach-in              nur die Einlern-Firmware programmieren; dann den Servo\n"
        "                          von Hand oder mit dem Sender in beide Endlagen bewegen\n"
        "                          (avrdudes Ausgabe: pulsakor-einlernen.avrdude.log im\n"
        "                          Ordner der Einstellungen)\n"
        "  --read-end-stops        die eingelernten Endlagen aus dem Chip lesen, ohne etwas\n"
        "                          zu schreiben; auf die Standardausgabe kommt die Zeile\n"
        "                          '--end1 T --end2 T' mit den Spannungen für --supply\n"
        "  --help                  diesen Text zeigen\n"
        "  --version               die Version zeigen\n"
        "\n"
        "Exit-Status: 0 Erfolg; 1 der Vorlagenname, ein Feld oder die Tabelle wurde\n"
        "abgelehnt (nichts geschrieben); 2 falscher Aufruf; 3 der Assembler fehlt oder\n"
        "ist gescheitert, oder der HEX-Datei fehlt die Tabelle; 4 eine Datei oder die\n"
        "Standardausgabe konnte nicht gelesen oder geschrieben werden, oder das Ziel\n"
        "würde die Vorlage überschreiben; 5 der Chip wurde nicht programmiert (kein\n"
        "avrdude, der Programmer antwortet nicht, ein anderer Chip, ein Byte stimmt\n"
        "beim Prüfen nicht, avrdude hängt oder gibt ohne Ende aus, Abbruch), oder der\n"
        "Chip konnte nicht gelesen werden; 6 der Chip hält keine eingelernten\n"
        "Endlagen oder ein beschädigtes Ergebnis (--read-end-stops; dann steht nichts\n"
        "auf der Standardausgabe).\n")
        .arg(defaults[0], defaults[1], defaults[2], defaults[3], defaults[4], defaults[5]);
}

QString VersionText()
{
    return QStringLiteral("pulsakor-cli " PULSAKOR_VERSION "\n");
}

} // namespace cli
