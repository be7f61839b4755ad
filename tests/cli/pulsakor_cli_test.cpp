#include "generator/parameter_text.h"

#include "platform/files.h"
#include "platform/text_encoding.h"
#include "tests/support/cli_process.h"
#include "tests/support/expected_output.h"
#include "tests/support/test_data.h"

#include <QtTest>

using namespace generator;
using testsupport::GoldenListing;

namespace {

using Run = testsupport::CliRun;

// Runs the built program with only the given locale variables set.
Run RunCli(const QStringList &arguments, const QStringList &locale = {"LC_ALL=C.UTF-8"},
           const QString &outputFile = {})
{
    QProcess process;
    process.setProcessEnvironment(testsupport::LocaleEnvironment(locale));
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(QStringLiteral(PULSAKOR_CLI), arguments);
    return testsupport::FinishCli(process, 30000);
}

// The golden listing with another separator in the three comment lines.
QString GoldenWith(QChar separator)
{
    QStringList lines = GoldenListing().split(QLatin1String("\r\n"));
    for (int i = 0; i < 3; ++i)
        lines[i].replace(u'.', separator);
    return lines.join(QLatin1String("\r\n"));
}

QString GoldenWithComma()
{
    return GoldenWith(u',');
}

QString ListingFor(const ParameterTexts &texts)
{
    return testsupport::ListingFor(texts, u'.');
}

QByteArray DefaultCurve(QChar separator)
{
    return testsupport::CurveFor(DefaultParameterTexts(), separator);
}

QStringList FilesIn(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot
                                               | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

ParameterTexts WithField(int index, const QString &text)
{
    ParameterTexts texts = DefaultParameterTexts();
    texts[index] = text;
    return texts;
}

} // namespace

class PulsakorCliTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void printsTheListing_data();
    void printsTheListing();
    void exitsWith1WhenRejected_data();
    void exitsWith1WhenRejected();
    void exitsWith2OnBadUsage_data();
    void exitsWith2OnBadUsage();
    void printsUsageForHelp();
    void printsItsVersion();
    void exitsWith4WhenStandardOutputFails_data();
    void exitsWith4WhenStandardOutputFails();
    void drawsTheCurveBesideTheListing_data();
    void drawsTheCurveBesideTheListing();
    void drawsTheReadmeCurves_data();
    void drawsTheReadmeCurves();
    void leavesNoPictureWhenItFails_data();
    void leavesNoPictureWhenItFails();
};

void PulsakorCliTest::initTestCase()
{
    QVERIFY(QFileInfo(QStringLiteral(PULSAKOR_CLI)).isExecutable());
    QCOMPARE(GoldenListing().size(), 1713);
}

void PulsakorCliTest::printsTheListing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("locale");
    QTest::addColumn<QByteArray>("expected");

    // The system's encoding: UTF-8 in the suite's locale, the ANSI code page
    // on Windows.
    const QStringList utf8 = {"LC_ALL=C.UTF-8"};
    const auto encoded = [](const QString &text) {
        return platform::TextEncoding::System().Encode(text);
    };
    const QByteArray golden = encoded(GoldenListing());
    const QByteArray goldenComma = encoded(GoldenWithComma());

    QTest::newRow("defaults") << QStringList{} << utf8 << golden;
    QTest::newRow("design texts given") << QStringList{"--supply", "5000", "--end1", "0500",
                                                       "--end2", "4500", "--pulse1", "1000",
                                                       "--pulse2", "2000", "--pwm", "10"}
                                        << utf8 << golden;
    QTest::newRow("swapped end stops, both forms")
        << QStringList{"--end1=4500", "--end2", "0500", "--pulse1", "2000", "--pulse2=1000"}
        << utf8 << golden;
    QTest::newRow("comma given") << QStringList{"--decimal-separator", ","} << utf8 << goldenComma;
    QTest::newRow("comma given with =") << QStringList{"--decimal-separator=,"} << utf8
                                        << goldenComma;
    QTest::newRow("middle dot given") << QStringList{QStringLiteral("--decimal-separator=\u00b7")}
                                      << utf8 << encoded(GoldenWith(QChar(0xb7)));
#ifndef Q_OS_WIN // there the user's regional settings decide, not variables
    // Qt reads the number locale from LANG; the encoding comes from LC_CTYPE.
    QTest::newRow("comma from the locale")
        << QStringList{} << QStringList{"LANG=de_DE.UTF-8", "LC_CTYPE=C.UTF-8"} << goldenComma;
    QTest::newRow("given separator wins over the locale")
        << QStringList{"--decimal-separator=."}
        << QStringList{"LANG=de_DE.UTF-8", "LC_CTYPE=C.UTF-8"} << golden;
    QTest::newRow("one byte per character in the C locale")
        << QStringList{} << QStringList{"LC_ALL=C"} << GoldenListing().toLatin1();
#endif

    QTest::newRow("--supply is field 0")
        << QStringList{"--supply", "5120"} << utf8 << encoded(ListingFor(WithField(0, "5120")));
    QTest::newRow("--end1 is field 1, negative with =")
        << QStringList{"--end1=-500"} << utf8 << encoded(ListingFor(WithField(1, "-500")));
    QTest::newRow("--end2 is field 2") << QStringList{"--end2", "4020"} << utf8
                                       << encoded(ListingFor(WithField(2, "4020")));
    QTest::newRow("--pulse1 is field 3") << QStringList{"--pulse1", "1500"} << utf8
                                         << encoded(ListingFor(WithField(3, "1500")));
    QTest::newRow("--pulse2 is field 4") << QStringList{"--pulse2", "1700"} << utf8
                                         << encoded(ListingFor(WithField(4, "1700")));
    QTest::newRow("--pwm verbatim") << QStringList{"--pwm", " 010\t"} << utf8
                                    << encoded(ListingFor(WithField(5, " 010\t")));
    QTest::newRow("empty --pwm") << QStringList{"--pwm="} << utf8
                                 << encoded(ListingFor(WithField(5, "")));
    QTest::newRow("non-ASCII --pwm comes back unchanged")
        << QStringList{"--pwm", QStringLiteral("zwölf")} << utf8
        << encoded(ListingFor(WithField(5, QStringLiteral("zwölf"))));
}

void PulsakorCliTest::printsTheListing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, locale);
    QFETCH(QByteArray, expected);

    const Run run = RunCli(arguments, locale);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, expected);
}

void PulsakorCliTest::exitsWith1WhenRejected_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    QTest::newRow("field beyond double")
        << QStringList{"--supply=1e999"} << "\"Betriebsspannung des AVR und Poti\"";
    QTest::newRow("field beyond 32 bits")
        << QStringList{"--pulse2", "3000000000"} << "(andere Endlage)";
    QTest::newRow("entry above 255") << QStringList{"--pulse1", "3000"} << "Index 0 wäre 300";
    QTest::newRow("entry below 0") << QStringList{"--pulse2=-2000"} << "Index 94 wäre -1";
}

void PulsakorCliTest::exitsWith1WhenRejected()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    const Run run = RunCli(arguments);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QByteArray());
    const QString &err = run.err;
    QVERIFY2(err.contains(message), qPrintable(err));
    QVERIFY2(!err.contains(u'\r'), qPrintable(err));
}

void PulsakorCliTest::exitsWith2OnBadUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    QTest::newRow("unknown option")
        << QStringList{"--volts", "5000"} << "unbekannte Option '--volts'";
    QTest::newRow("single dash") << QStringList{"-supply", "5000"} << "unerwartetes Argument";
    QTest::newRow("stray argument") << QStringList{"5000"} << "unerwartetes Argument '5000'";
    QTest::newRow("value missing at the end") << QStringList{"--pwm"} << "braucht einen Wert";
    QTest::newRow("value beginning with -") << QStringList{"--end1", "-500"} << "--end1=TEXT";
    QTest::newRow("option given twice") << QStringList{"--supply=5000", "--supply", "4800"}
                                        << "doppelt angegeben";
    // Rows name what was given, so each one fails when another rule rejects it.
    const QString refused = QStringLiteral("Das Dezimaltrennzeichen (--decimal-separator) muss "
                                           "genau ein druckbares Zeichen sein, keine Ziffer, kein "
                                           "Vorzeichen und kein Leerzeichen; angegeben war %1.");
    QTest::newRow("separator of two characters") << QStringList{"--decimal-separator", ".,"}
                                                 << refused.arg("'.,'");
    QTest::newRow("separator ab") << QStringList{"--decimal-separator=ab"} << refused.arg("'ab'");
    QTest::newRow("empty separator") << QStringList{"--decimal-separator="}
                                     << refused.arg("nichts");
    QTest::newRow("separator CR") << QStringList{"--decimal-separator=\r"}
                                  << refused.arg("U+000D");
    QTest::newRow("separator digit") << QStringList{"--decimal-separator", "5"}
                                     << refused.arg("'5'");
    QTest::newRow("separator plus") << QStringList{"--decimal-separator=+"}
                                    << refused.arg("'+'");
    QTest::newRow("separator minus") << QStringList{"--decimal-separator=-"}
                                     << refused.arg("'-'");
    QTest::newRow("separator blank") << QStringList{"--decimal-separator= "}
                                     << refused.arg("U+0020");
    QTest::newRow("separator no-break space")
        << QStringList{QStringLiteral("--decimal-separator=") + QChar(0xa0)}
        << refused.arg("U+00A0");
    QTest::newRow("separator tab") << QStringList{"--decimal-separator=\t"}
                                   << refused.arg("U+0009");
    QTest::newRow("separator control character")
        << QStringList{QStringLiteral("--decimal-separator=") + QChar(0x1b)}
        << refused.arg("U+001B");
    QTest::newRow("separator beyond one UTF-16 unit")
        << QStringList{QStringLiteral("--decimal-separator=") + QString::fromUcs4(U"\U0001D7CE")}
        << refused.arg("U+D835 U+DFCE");

    const QString together = QStringLiteral("'--template' und '--out' gehören zusammen");
    const QString needsRun = QStringLiteral("brauchen '--template' und '--out'");
    QTest::newRow("--template without --out") << QStringList{"--template", "servo00.asm"}
                                              << together;
    QTest::newRow("--out without --template") << QStringList{"--out=servo000.asm"} << together;
    QTest::newRow("--delete-asm without a run") << QStringList{"--delete-asm"} << needsRun;
    QTest::newRow("--delete-asm with a value")
        << QStringList{"--template", "a", "--out", "b", "--delete-asm=1"} << "nimmt keinen Wert";
    QTest::newRow("empty --out") << QStringList{"--template", "servo00.asm", "--out="}
                                 << "'--out' braucht einen Dateinamen";
    QTest::newRow("--plot without a file") << QStringList{"--plot"} << "braucht einen Wert";
    QTest::newRow("empty --plot") << QStringList{"--plot="} << "'--plot' braucht einen Dateinamen";
    QTest::newRow("--out names a folder") << QStringList{"--template", "servo00.asm", "--out", "x/"}
                                          << "nicht den Ordner 'x/'";

    // Nothing is programmed, and no programmer is asked, on such a line.
    const QStringList run = {"--template", "servo00.asm", "--out", "servo000.asm"};
    QTest::newRow("--programmer without a run or --flash")
        << QStringList{"--programmer", "usbasp"}
        << "braucht '--template' und '--out', '--flash', '--teach-in' oder '--read-end-stops'";
    QTest::newRow("--port without --programmer")
        << (run + QStringList{"--port", "usb"}) << "brauchen '--programmer'";
    QTest::newRow("--flash without --programmer")
        << QStringList{"--flash", "servo000.hex"} << "'--flash' braucht '--programmer'";
    QTest::newRow("--flash with a run")
        << (run + QStringList{"--flash", "servo000.hex", "--programmer", "usbasp"})
        << "nimmt keine Option des Laufs";
    QTest::newRow("--flash with a field")
        << QStringList{"--flash", "servo000.hex", "--programmer", "usbasp", "--pwm", "5"}
        << "nimmt keine Option des Laufs";
    const QStringList reading = {"--read-end-stops", "--programmer", "usbasp"};
    QTest::newRow("--teach-in without --programmer")
        << QStringList{"--teach-in"} << "'--teach-in' braucht '--programmer'";
    QTest::newRow("--teach-in with a field")
        << QStringList{"--teach-in", "--programmer", "usbasp", "--end1", "0500"}
        << "nur die Einlern-Firmware";
    QTest::newRow("--read-end-stops with a run") << (run + reading) << "liest nur die Endlagen aus";
    QTest::newRow("--read-end-stops with the calibration byte's address")
        << (reading + QStringList{"--calibration-eeprom", "0"}) << "liest nur die Endlagen aus";
    QTest::newRow("--teach-in with the calibration byte where it keeps its result")
        << QStringList{"--teach-in", "--programmer", "usbasp", "--calibration-eeprom", "3"}
        << "nicht an die EEPROM-Adresse 3: an den Adressen 1 bis 3";
    QTest::newRow("--teach-in with --read-end-stops")
        << (reading + QStringList{"--teach-in"}) << "schließen einander aus";
    QTest::newRow("programmer read by avrdude as an option")
        << (run + QStringList{"--programmer=-F"}) << "nicht mit '-' beginnt";
    QTest::newRow("baud rate 0") << (run + QStringList{"--programmer", "arduino", "--baud", "0"})
                                 << "Baudrate (--baud)";
    QTest::newRow("baud rate with a sign")
        << (run + QStringList{"--programmer", "arduino", "--baud=+19200"}) << "'+19200'";
    QTest::newRow("EEPROM address past the EEPROM")
        << (run + QStringList{"--programmer", "usbasp", "--calibration-eeprom", "64"})
        << "0 bis 63 oder 'none'";
    QTest::newRow("EEPROM address as a word")
        << (run + QStringList{"--programmer", "usbasp", "--calibration-eeprom", "keine"})
        << "'keine'";
}

void PulsakorCliTest::exitsWith2OnBadUsage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    const Run run = RunCli(arguments);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QByteArray());
    const QString &err = run.err;
    QVERIFY2(err.contains(message), qPrintable(err));
    QVERIFY2(err.contains(QStringLiteral("Aufruf: pulsakor-cli")), qPrintable(err));
}

void PulsakorCliTest::printsUsageForHelp()
{
    const Run run = RunCli({"--pwm", "10", "--help"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QString());
    QVERIFY(run.out.startsWith("Aufruf: pulsakor-cli [--supply T]"));
    for (const char *option : {"--supply", "--end1", "--end2", "--pulse1", "--pulse2", "--pwm",
                               "--decimal-separator", "--template", "--out", "--assembler",
                               "--delete-asm", "--plot", "--help", "--version", "--programmer",
                               "--port", "--baud", "--avrdude", "--calibration-eeprom", "--flash",
                               "--teach-in", "--read-end-stops"})
        QVERIFY2(run.out.contains(option), option);
}

void PulsakorCliTest::printsItsVersion()
{
    const Run run = RunCli({"--pwm", "10", "--version"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.out, QByteArray("pulsakor-cli " PULSAKOR_VERSION "\n"));
}

void PulsakorCliTest::exitsWith4WhenStandardOutputFails_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    QTest::newRow("listing") << QStringList{} << "Die Tabelle konnte nicht ausgegeben werden.";
    QTest::newRow("curve") << QStringList{"--plot", "-"}
                           << "Das Bild konnte nicht ausgegeben werden.";
    QTest::newRow("help") << QStringList{"--help"} << "Der Text konnte nicht ausgegeben werden.";
    QTest::newRow("version") << QStringList{"--version"}
                             << "Der Text konnte nicht ausgegeben werden.";
}

void PulsakorCliTest::exitsWith4WhenStandardOutputFails()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full, a device that refuses every write");
    const Run run = RunCli(arguments, {"LC_ALL=C.UTF-8"}, QStringLiteral("/dev/full"));
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
}

void PulsakorCliTest::drawsTheCurveBesideTheListing_data()
{
    // "%1" in the arguments is the picture's path in a fresh folder.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("printed");
    QTest::addColumn<QByteArray>("picture");

    const platform::TextEncoding system = platform::TextEncoding::System();
    QTest::newRow("into a file, the listing unchanged")
        << QStringList{"--plot", "%1"} << system.Encode(GoldenListing()) << DefaultCurve(u'.');
    QTest::newRow("comma, --plot= form")
        << QStringList{"--plot=%1", "--decimal-separator", ","}
        << system.Encode(GoldenWithComma()) << DefaultCurve(u',');
    QTest::newRow("to stdout instead of the listing")
        << QStringList{"--plot", "-"} << DefaultCurve(u'.') << QByteArray();
}

void PulsakorCliTest::drawsTheCurveBesideTheListing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, printed);
    QFETCH(QByteArray, picture);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("curve.svg"));
    const Run run = RunCli(arguments.replaceInStrings(QStringLiteral("%1"), path));
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, printed);
    if (picture.isEmpty())
        QCOMPARE(FilesIn(folder.path()), QStringList());
    else
        QCOMPARE(platform::ReadWholeFile(path).value_or(QByteArray()), picture);
}

void PulsakorCliTest::drawsTheReadmeCurves_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("picture");

    QTest::newRow("defaults") << QStringList{"--decimal-separator", ","}
                              << QStringLiteral("docs/curve-default.svg");
    QTest::newRow("reversed servo")
        << QStringList{"--pulse1", "2000", "--pulse2", "1000", "--decimal-separator", ","}
        << QStringLiteral("docs/curve-reversed.svg");
}

// The pictures in the README are what its commands draw today.
void PulsakorCliTest::drawsTheReadmeCurves()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, picture);

    const Run run = RunCli(arguments + QStringList{"--plot", "-"});
    QCOMPARE(run.exitCode, 0);
    const QString path = QStringLiteral(PULSAKOR_SOURCE_DIR "/") + picture;
    QVERIFY2(run.out == platform::ReadWholeFile(path).value_or(QByteArray()),
             qPrintable(picture + QStringLiteral(" is out of date; make it with the README's "
                                                 "command")));
}

void PulsakorCliTest::leavesNoPictureWhenItFails_data()
{
    // The picture goes to folder/<plotPath>; folder holds a file "file" and
    // a folder "folder" before the run.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("plotPath");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("table rejected") << QStringList{"--pulse1", "3000"}
                                    << QStringLiteral("curve.svg") << 1 << "Index 0 wäre 300";
    QTest::newRow("folder missing") << QStringList{} << QStringLiteral("missing/curve.svg") << 4
                                    << "Die Datei kann nicht geschrieben werden";
    QTest::newRow("path is a folder") << QStringList{} << QStringLiteral("folder") << 4
                                      << "Die Datei kann nicht geschrieben werden";
    QTest::newRow("folder part is a file") << QStringList{} << QStringLiteral("file/curve.svg")
                                           << 4 << "Die Datei kann nicht geschrieben werden";
}

void PulsakorCliTest::leavesNoPictureWhenItFails()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, plotPath);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(platform::WriteFileAtomically(folder.filePath(QStringLiteral("file")), "x"));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("folder")));
    const QStringList before = FilesIn(folder.path());

    const Run run = RunCli(arguments + QStringList{"--plot", folder.filePath(plotPath)});
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, QByteArray());
    const QString &err = run.err;
    QVERIFY2(err.contains(message), qPrintable(err));
    QCOMPARE(FilesIn(folder.path()), before);
    QCOMPARE(FilesIn(folder.filePath(QStringLiteral("folder"))), QStringList());
}

QTEST_GUILESS_MAIN(PulsakorCliTest)
#include "pulsakor_cli_test.moc"
