// pulsakor-cli --template ... --out ...: the window's whole generation run
// from the command line, against avra and against small fake assemblers that
// the tests write into a temporary folder.
//
// Every run starts in a fresh folder holding in/ (the template, never to be
// changed), out/ (where targets go), tools/ (the fake assembler) and home/
// (HOME and XDG_CONFIG_HOME, where no settings file may appear).

#include "generator/generation_run.h"
#include "generator/parameter_text.h"

#include "platform/files.h"
#include "platform/short_names.h"
#include "platform/text_encoding.h"
#include "tests/support/cli_process.h"
#include "tests/support/expected_output.h"
#include "tests/support/test_data.h"

#include <QtTest>

#include <QDirIterator>

using namespace generator;
using namespace testsupport;

namespace {

const QByteArray kLabelLine = "cortab:   ;Tabelle mit Poti-Korrekturwerten\r\n";

using Run = CliRun;

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    return platform::WriteFileAtomically(path, bytes);
}

QStringList FilesIn(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

// A fake assembler: finds the source after -fI and the HEX file after -o,
// then runs `body`.
QByteArray FakeAssembler(const QByteArray &body)
{
    return "#!/bin/sh\n"
           "while [ $# -gt 0 ]; do\n"
           "  case \"$1\" in -fI) src=$2; shift ;; -o) hex=$2; shift ;; esac\n"
           "  shift\n"
           "done\n"
           + body;
}

// The line of a fake assembler that writes the HEX file with the source's
// table.
const QByteArray kTableHexLine =
    '"' + FakeAssemblerPath("table-hex.sh").toUtf8() + "\" \"$src\" \"$hex\"\n";

class Sandbox {
public:
    Sandbox()
    {
        for (const char *folder : {"out", "tools", "home"})
            QDir(m_root.Root()).mkdir(QLatin1String(folder));
    }
    bool IsValid() const { return m_root.IsValid(); }
    QString Path(const QString &relative) const { return m_root.Path(relative); }
    /// The example firmware as in/servo00.asm.
    const QByteArray &TemplateBytes() const { return m_root.TemplateBytes(); }

    /// Starts pulsakor-cli in the sandbox's root with only its own HOME.
    void StartCli(QProcess &process, const QStringList &arguments,
                  const QString &locale = QStringLiteral("C.UTF-8")) const
    {
        QProcessEnvironment env = LocaleEnvironment({QStringLiteral("LC_ALL=") + locale});
        env.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), Path(QStringLiteral("home/.config")));

        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_root.Root());
        process.start(QStringLiteral(PULSAKOR_CLI), arguments);
    }

    /// Runs pulsakor-cli to its end.
    Run RunCli(const QStringList &arguments, const QString &locale = QStringLiteral("C.UTF-8")) const
    {
        QProcess process;
        StartCli(process, arguments, locale);
        return FinishCli(process);
    }

    /// No settings file anywhere under home/, none beside the targets.
    bool NoSettingsWritten() const
    {
        QDirIterator it(Path(QStringLiteral("home")), QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        return !it.hasNext() && !QFileInfo::exists(Path(QStringLiteral("out/pulsakor.cfg")));
    }

private:
    TemplateFolder m_root{QStringLiteral("in/servo00.asm")};
};

// The field texts that "--supply 5120 --pwm 12 ..." give.
ParameterTexts TextsFor(const QStringList &fieldArguments)
{
    ParameterTexts texts = DefaultParameterTexts();
    const QStringList names = {"--supply", "--end1", "--end2", "--pulse1", "--pulse2", "--pwm"};
    for (qsizetype i = 0; i + 1 < fieldArguments.size(); i += 2)
        texts[size_t(names.indexOf(fieldArguments.at(i)))] = fieldArguments.at(i + 1);
    return texts;
}

// The golden summary with other values, in the system's encoding (the
// suite's UTF-8 locale on Linux, the ANSI code page on Windows).
QByteArray Summary(const QStringList &values)
{
    return platform::TextEncoding::System().Encode(SummaryWith(values));
}

} // namespace

class GenerationCommandTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void runsTheWholeGenerationWithAvra_data();
    void runsTheWholeGenerationWithAvra();
    void exitsWithItsCodeOnFailure_data();
    void exitsWithItsCodeOnFailure();
    void neverPrintsAnOlderLog();
    void neverTakesAnOlderHexForThisRunsOwn();
    void endsBeforeTheAssemblerWhenAnOldFileCannotGo_data();
    void endsBeforeTheAssemblerWhenAnOldFileCannotGo();
    void leavesATargetAloneWhileAnotherRunWritesIt();
    void keepsNonAsciiNamesInTheCLocale();
    void neverDrawsOverTheLogThroughALink();
    void guardsIgnoreTheCaseOfNamesOnWindows_data();
    void guardsIgnoreTheCaseOfNamesOnWindows();
    void guardsKnowTheShortNamesOfFolders_data();
    void guardsKnowTheShortNamesOfFolders();
};

void GenerationCommandTest::initTestCase()
{
    QVERIFY(QFileInfo(QStringLiteral(PULSAKOR_CLI)).isExecutable());
    QVERIFY(ExampleTemplate().contains(kLabelLine));
    // An unread golden summary would make every "the log ends with it" hold.
    QVERIFY(GoldenSummary().startsWith("\r\n"));
}

void GenerationCommandTest::runsTheWholeGenerationWithAvra_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<bool>("deleteAsm");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QByteArray>("summary");
    QTest::addColumn<QString>("hexCheck");
    // --plot's value: none, a file beside the run's files, or "-".
    QTest::addColumn<QString>("plot");

    const QByteArray defaults = platform::TextEncoding::System().Encode(GoldenSummary());
    const QString found = QStringLiteral(
        "HEX-Prüfung: Die 256 Tabellenwerte mit PWM-Zählumfang 10 und 0 stehen ab Adresse 0x");

    QTest::newRow("defaults") << QStringList{} << false << QChar(u'.') << defaults << found
                              << QString();
    QTest::newRow("defaults, source deleted, curve to stdout")
        << QStringList{} << true << QChar(u'.') << defaults << found << QStringLiteral("-");
    QTest::newRow("reversed servo, comma, PWM as an expression")
        << QStringList{"--end1", "4400", "--end2", "0600", "--pulse1", "1000", "--pulse2", "2000",
                       "--pwm", "5+5"}
        << false << QChar(u',') << Summary({"5,00", "0,60", "4,40", "2,00", "1,00"})
        << QStringLiteral("HEX-Prüfung: Die 256 Tabellenwerte stehen ab Adresse 0x")
        << QStringLiteral("curve.svg");
}

void GenerationCommandTest::runsTheWholeGenerationWithAvra()
{
    QFETCH(QStringList, fields);
    QFETCH(bool, deleteAsm);
    QFETCH(QChar, separator);
    QFETCH(QByteArray, summary);
    QFETCH(QString, hexCheck);
    QFETCH(QString, plot);

    if (QStandardPaths::findExecutable(QStringLiteral("avra")).isEmpty())
        QSKIP("avra is not installed");
    Sandbox box;
    QVERIFY(box.IsValid());
    const QByteArray templateBytes = box.TemplateBytes();
    // A folder name with a blank and an umlaut: the command processor reads
    // the batch file in its own code page.
    const QString out = QStringLiteral("Meine Servos \u00fc/");
    QVERIFY(QDir().mkpath(box.Path(out)));
    if (!plot.isEmpty() && plot != u"-")
        plot.prepend(out);

    // Relative paths, and the platform's default assembler.
    QStringList arguments = fields;
    arguments << "--decimal-separator" << QString(separator) << "--template" << "in/servo00.asm"
              << "--out" << out + "servo000.asm";
    if (deleteAsm)
        arguments << "--delete-asm";
    if (!plot.isEmpty())
        arguments << "--plot" << plot;
    const Run run = box.RunCli(arguments);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));

    // The curve goes beside the run's files, or to stdout in place of the log.
    const QString base = box.Path(out + "servo000.");
    const QByteArray log = ReadBytes(base + "log");
    QCOMPARE(run.out, plot == u"-" ? CurveFor(TextsFor(fields), separator) : log);
    if (!plot.isEmpty() && plot != u"-")
        QCOMPARE(ReadBytes(box.Path(plot)), CurveFor(TextsFor(fields), separator));
    QVERIFY2(log.contains("Assembly complete"), log.constData());
    QVERIFY2(log.endsWith(summary), log.constData());

    if (deleteAsm) {
        QCOMPARE(FilesIn(box.Path(out)).filter(QStringLiteral(".asm")), QStringList());
    } else {
        const QByteArray head =
            templateBytes.left(templateBytes.indexOf(kLabelLine) + kLabelLine.size());
        QCOMPARE(ReadBytes(base + "asm"),
                 head
                     + platform::TextEncoding::System().Encode(
                         ListingFor(TextsFor(fields), separator))
                     + "\r\n\r\n");
    }
    // The table, then the PWM count and 0, end the firmware's image (a count
    // written as an expression is the assembler's to work out).
    const QByteArray memory = HexMemory(ReadBytes(base + "hex"));
    const QByteArray table = TableBytesFor(TextsFor(fields));
    QVERIFY2(memory.size() >= table.size(), "the HEX file is shorter than the table");
    QVERIFY(table.size() == 258 ? memory.endsWith(table) : memory.chopped(2).endsWith(table));
    QVERIFY(!QFileInfo::exists(base + "obj"));
    QVERIFY(!QFileInfo::exists(base + "bat"));

    QVERIFY2(run.err.contains(QDir::toNativeSeparators(base) + "hex: " + HexAssembledMessage()),
             qPrintable(run.err));
    QVERIFY2(run.err.contains(hexCheck), qPrintable(run.err));
    QCOMPARE(ReadBytes(box.Path(QStringLiteral("in/servo00.asm"))), templateBytes);
    QVERIFY(box.NoSettingsWritten());
}

void GenerationCommandTest::exitsWithItsCodeOnFailure_data()
{
    // The template is in/<templateName>; an empty assembler script means
    // --assembler names a file that does not exist.
    QTest::addColumn<QString>("templateName");
    QTest::addColumn<QByteArray>("assembler");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("readOnlyOut");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("outFiles");
    QTest::addColumn<QByteArray>("printed");

    const QString servo00 = QStringLiteral("servo00.asm");
    const QStringList toOut = {"--template", "in/servo00.asm", "--out", "out/servo000.asm"};
    const QStringList asmAndLog = {"servo000.asm", "servo000.log"};
    const QStringList asmHexLog = {"servo000.asm", "servo000.hex", "servo000.log"};
    const QByteArray leavesObj = "echo obj > \"${src%asm}obj\"\n";

    QTest::newRow("assembler exits with 1")
        << servo00 << FakeAssembler(leavesObj + "echo 'fake: error in line 3'\nexit 1\n") << toOut
        << false << 3 << HexNotMadeTitle() + ": " + HexNotMadeMessage()
        << asmAndLog << QByteArray("fake: error in line 3\n");
    QTest::newRow("assembler exits with 0 but makes no HEX")
        << servo00 << FakeAssembler(leavesObj + "echo 'fake: done'\n") << toOut << false << 3
        << HexNotMadeMessage() << asmAndLog << QByteArray("fake: done\n");
    const QByteArray otherHex = "printf ':0400000001020304F2\\r\\n:00000001FF\\r\\n' >\"$hex\"\n";
    QTest::newRow("HEX without the table")
        << servo00 << FakeAssembler(otherHex) << toOut << false << 3
        << "HEX-Prüfung: Die 256 Tabellenwerte mit PWM-Zählumfang 10 und 0 stehen nicht in"
        << asmHexLog << QByteArray("\r\n=====");
    QTest::newRow("HEX that is no Intel HEX")
        << servo00 << FakeAssembler("echo 'Assembly complete.' >\"$hex\"\n") << toOut << false << 3
        << "keine gültige Intel-HEX-Datei (Zeile 1:" << asmHexLog << QByteArray("\r\n=====");
    QTest::newRow("assembler missing: the source stays, no log")
        << servo00 << QByteArray() << toOut << false << 3
        << HexNotMadeTitle() + ": " + AssemblerMissingMessage()
        << QStringList{"servo000.asm"} << QByteArray();

    const QByteArray good = FakeAssembler("echo 'fake: done'\n");
    QTest::newRow("output folder missing")
        << servo00 << good
        << QStringList{"--template", "in/servo00.asm", "--out", "out/new/servo000.asm"} << false
        << 4 << FatalTitle() + ": Die Datei kann nicht geschrieben werden" << QStringList()
        << QByteArray();
    QTest::newRow("output folder read-only")
        << servo00 << good << toOut << true << 4 << "Die Datei kann nicht geschrieben werden"
        << QStringList() << QByteArray();
    QTest::newRow("target is the template")
        << servo00 << good << QStringList{"--template", "in/servo00.asm", "--out", "in/servo00.asm"}
        << false << 4 << "ist die Vorlage selbst" << QStringList() << QByteArray();
    // The name test passes "servo07.asm" followed by anything.
    QTest::newRow("target's HEX file is the template")
        << QStringLiteral("servo07.asm.hex") << good
        << QStringList{"--template", "in/servo07.asm.hex", "--out", "in/servo07.asm.asm"} << false
        << 4 << "servo07.asm.hex\" ist die Vorlage selbst" << QStringList() << QByteArray();
    // No name that begins with the target's base may be the template: the
    // assembler writes more of them than the run knows.
    QTest::newRow("template named after the source")
        << QStringLiteral("servo07.asm.bak") << good
        << QStringList{"--template", "in/servo07.asm.bak", "--out", "in/servo07.asm"} << false
        << 4 << "servo07.asm.bak\" ist die Vorlage selbst" << QStringList() << QByteArray();
    QTest::newRow("template is the assembler's EEPROM image")
        << QStringLiteral("servo07.asm.eep.hex") << good
        << QStringList{"--template", "in/servo07.asm.eep.hex", "--out", "in/servo07.asm.x"}
        << false << 4 << "servo07.asm.eep.hex\" ist die Vorlage selbst" << QStringList()
        << QByteArray();
    QTest::newRow("curve would be the template")
        << servo00 << good << toOut + QStringList{"--plot", "in/servo00.asm"} << false << 4
        << "wäre die Vorlage selbst" << QStringList() << QByteArray();
    QTest::newRow("curve would be the run's log")
        << servo00 << good << toOut + QStringList{"--plot", "out/servo000.log"} << false << 4
        << "wäre die Ausgabedatei" << QStringList() << QByteArray();
    QTest::newRow("curve would be the run's lock")
        << servo00 << good << toOut + QStringList{"--plot", "out/servo000.lock"} << false << 4
        << "wäre die Ausgabedatei" << QStringList() << QByteArray();
    QTest::newRow("curve would be the assembler's EEPROM image")
        << servo00 << good << toOut + QStringList{"--plot", "out/servo000.eep.hex"} << false << 4
        << "wäre die Ausgabedatei" << QStringList() << QByteArray();
    QTest::newRow("curve drawn though the assembler failed")
        << servo00 << FakeAssembler("echo 'fake: error'\nexit 1\n")
        << toOut + QStringList{"--plot", "out/curve.svg"} << false << 3
        << HexNotMadeMessage() << QStringList{"curve.svg"} + asmAndLog
        << QByteArray("fake: error\n");
    QTest::newRow("template name not servo??.asm")
        << QStringLiteral("firmware.asm") << good
        << QStringList{"--template", "in/firmware.asm", "--out", "out/servo000.asm"} << false << 1
        << FatalTitle() + ": " << QStringList() << QByteArray();
    QTest::newRow("table entry above 255, no curve")
        << servo00 << good
        << QStringList{"--pulse1", "3000"} + toOut + QStringList{"--plot", "out/curve.svg"}
        << false << 1 << "Index 0 wäre 300" << QStringList() << QByteArray();
}

void GenerationCommandTest::exitsWithItsCodeOnFailure()
{
    SHELL_SCRIPT_TEST_ONLY_ON_LINUX();
    QFETCH(QString, templateName);
    QFETCH(QByteArray, assembler);
    QFETCH(QStringList, arguments);
    QFETCH(bool, readOnlyOut);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(QStringList, outFiles);
    QFETCH(QByteArray, printed);

    Sandbox box;
    QVERIFY(box.IsValid());
    const QByteArray templateBytes = box.TemplateBytes();
    if (templateName != u"servo00.asm")
        QVERIFY(QFile::rename(box.Path(QStringLiteral("in/servo00.asm")),
                              box.Path(QStringLiteral("in/") + templateName)));
    const QString assemblerPath = QStringLiteral("tools/fake-assembler");
    if (!assembler.isEmpty()) {
        QVERIFY(WriteFile(box.Path(assemblerPath), assembler));
        QVERIFY(QFile::setPermissions(box.Path(assemblerPath),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    if (readOnlyOut) {
        const QString out = box.Path(QStringLiteral("out"));
        QVERIFY(QFile::setPermissions(out, QFile::ReadOwner | QFile::ExeOwner));
        if (WriteFile(out + QStringLiteral("/probe"), "x")) {
            QFile::remove(out + QStringLiteral("/probe"));
            QSKIP("this account writes into read-only folders (root)");
        }
    }

    const Run run = box.RunCli(arguments + QStringList{"--assembler", assemblerPath});
    if (readOnlyOut)
        QFile::setPermissions(box.Path(QStringLiteral("out")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QVERIFY2(run.exitCode == exitCode, qPrintable(QString::number(run.exitCode) + u' ' + run.err));
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY2(!run.err.contains(u'\r'), qPrintable(run.err));
    QCOMPARE(FilesIn(box.Path(QStringLiteral("out"))), outFiles);
    QCOMPARE(FilesIn(box.Path(QStringLiteral("in"))), QStringList{templateName});
    QCOMPARE(ReadBytes(box.Path(QStringLiteral("in/") + templateName)), templateBytes);
    QVERIFY(box.NoSettingsWritten());

    // The log is printed whenever the run got as far as writing it.
    if (printed.isEmpty()) {
        QCOMPARE(run.out, QByteArray());
    } else {
        QVERIFY2(run.out.contains(printed), run.out.constData());
        QCOMPARE(run.out, ReadBytes(box.Path(QStringLiteral("out/servo000.log"))));
    }
}

void GenerationCommandTest::neverPrintsAnOlderLog()
{
    // A missing assembler ends the run before the log; the log an earlier
    // run left under the same name is not this run's. Fails when the command
    // prints the log under the target's name without asking whether the run
    // got as far as writing it. The removal of the old log before the
    // assembler starts cannot be seen here: on Linux starting the program
    // empties the log anyway, even when the program then fails.
    // endsBeforeTheAssemblerWhenAnOldFileCannotGo catches a run that
    // does not remove it.
    Sandbox box;
    QVERIFY(box.IsValid());
    QVERIFY(WriteFile(box.Path(QStringLiteral("out/servo000.log")), "older run\r\n"));

    const Run run = box.RunCli({"--template", "in/servo00.asm", "--out", "out/servo000.asm",
                                "--assembler", "tools/none"});
    QCOMPARE(run.exitCode, 3);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(ReadBytes(box.Path(QStringLiteral("out/servo000.log"))), QByteArray("older run\r\n"));
}

void GenerationCommandTest::neverTakesAnOlderHexForThisRunsOwn()
{
    SHELL_SCRIPT_TEST_ONLY_ON_LINUX();
    // An earlier run left a HEX file with the very same table, dated in the
    // future (a changed clock, a copied folder). An assembler that ends well
    // but writes nothing must not make it this run's: neither its time nor
    // its table may count.
    Sandbox box;
    QVERIFY(box.IsValid());
    const QString good = box.Path(QStringLiteral("tools/good"));
    QVERIFY(WriteFile(good, FakeAssembler(kTableHexLine)));
    const QString silent = box.Path(QStringLiteral("tools/silent"));
    QVERIFY(WriteFile(silent, FakeAssembler("exit 0\n")));
    for (const QString &path : {good, silent})
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner));
    const QStringList toOut = {"--template", "in/servo00.asm", "--out", "out/servo000.asm",
                               "--assembler"};
    QCOMPARE(box.RunCli(toOut + QStringList{good}).exitCode, 0);
    const QString hex = box.Path(QStringLiteral("out/servo000.hex"));
    {
        QFile file(hex);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(1),
                                 QFileDevice::FileModificationTime));
    }

    const Run run = box.RunCli(toOut + QStringList{silent});
    QVERIFY2(run.exitCode == 3, qPrintable(QString::number(run.exitCode) + u' ' + run.err));
    // It printed nothing, so the message does not point to the log.
    QVERIFY2(run.err.contains(HexNotMadeSilentMessage(QString())), qPrintable(run.err));
    QVERIFY(!run.err.contains(HexAssembledMessage()));
    QVERIFY(!QFileInfo::exists(hex));
}

void GenerationCommandTest::endsBeforeTheAssemblerWhenAnOldFileCannotGo_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("log") << "servo000.log";
    QTest::newRow("HEX file") << "servo000.hex";
    // It tells of programming an older HEX file into the chip.
    QTest::newRow("programming log") << "servo000.avrdude.log";
}

void GenerationCommandTest::endsBeforeTheAssemblerWhenAnOldFileCannotGo()
{
    SHELL_SCRIPT_TEST_ONLY_ON_LINUX();
    // A folder that is not empty stands where the old file would be: not
    // even root can remove it as a file. An old log would be printed as this
    // run's messages, an old HEX file taken for this run's.
    QFETCH(QString, name);
    Sandbox box;
    QVERIFY(box.IsValid());
    QVERIFY(QDir(box.Path(QStringLiteral("out"))).mkpath(name + QStringLiteral("/fremd")));
    const QString started = box.Path(QStringLiteral("tools/started"));
    const QString assembler = box.Path(QStringLiteral("tools/fake-assembler"));
    QVERIFY(WriteFile(assembler, FakeAssembler(": > \"" + started.toUtf8() + "\"\n")));
    QVERIFY(QFile::setPermissions(assembler, QFile::ReadOwner | QFile::ExeOwner));

    const Run run = box.RunCli({"--template", "in/servo00.asm", "--out", "out/servo000.asm",
                                "--assembler", assembler});
    QVERIFY2(run.exitCode == 4, qPrintable(QString::number(run.exitCode) + u' ' + run.err));
    // The removal ends the run, not the start of the assembler that would
    // write into the old file.
    const QString removal = (FatalTitle() + ": Die Datei kann nicht gelöscht werden: \"%1\"")
                                .arg(box.Path(QStringLiteral("out/")) + name);
    QVERIFY2(run.err.startsWith(removal), qPrintable(run.err));
    QCOMPARE(run.out, QByteArray());
    QVERIFY(!QFileInfo::exists(started));
}

void GenerationCommandTest::leavesATargetAloneWhileAnotherRunWritesIt()
{
    SHELL_SCRIPT_TEST_ONLY_ON_LINUX();
    Sandbox box;
    QVERIFY(box.IsValid());
    const QString good = box.Path(QStringLiteral("tools/good"));
    QVERIFY(WriteFile(good, FakeAssembler(kTableHexLine)));
    // Says that it has started, then waits until the test lets it go on.
    const QByteArray started = box.Path(QStringLiteral("tools/started")).toUtf8();
    const QByteArray go = box.Path(QStringLiteral("tools/go")).toUtf8();
    const QString waiting = box.Path(QStringLiteral("tools/waiting"));
    QVERIFY(WriteFile(waiting, FakeAssembler(": > \"" + started + "\"\n"
                                             "while [ ! -e \"" + go + "\" ]; do sleep 0.05; done\n"
                                             + kTableHexLine)));
    for (const QString &path : {good, waiting})
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner));
    const QStringList toOut = {"--template", "in/servo00.asm", "--out", "out/servo000.asm"};

    QProcess first;
    box.StartCli(first, toOut + QStringList{"--assembler", waiting});
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(QString::fromUtf8(started)), 20000);
    const QStringList filesDuring = FilesIn(box.Path(QStringLiteral("out")));
    const QByteArray sourceDuring = ReadBytes(box.Path(QStringLiteral("out/servo000.asm")));

    // The same target, other values, spelled another way.
    const Run second = box.RunCli({"--pulse1", "1100", "--template", "in/servo00.asm", "--out",
                                   "out/../out/servo000.asm", "--assembler", good});
    QVERIFY2(second.exitCode == 4, qPrintable(QString::number(second.exitCode) + u' ' + second.err));
    QVERIFY2(second.err.startsWith(FatalTitle() + ": "), qPrintable(second.err));
    QVERIFY2(second.err.contains(QStringLiteral("anderer Lauf")), qPrintable(second.err));
    QCOMPARE(second.out, QByteArray());
    QCOMPARE(FilesIn(box.Path(QStringLiteral("out"))), filesDuring);
    QCOMPARE(ReadBytes(box.Path(QStringLiteral("out/servo000.asm"))), sourceDuring);

    // Another target is not held up.
    const Run other = box.RunCli({"--template", "in/servo00.asm", "--out", "out/servo001.asm",
                                  "--assembler", good});
    QVERIFY2(other.exitCode == 0, qPrintable(QString::number(other.exitCode) + u' ' + other.err));

    QVERIFY(WriteFile(QString::fromUtf8(go), QByteArray()));
    const Run firstRun = FinishCli(first);
    QVERIFY2(firstRun.exitCode == 0, qPrintable(QString::number(firstRun.exitCode) + u' ' + firstRun.err));
    // The lock went with the run.
    QCOMPARE(FilesIn(box.Path(QStringLiteral("out"))),
             QStringList({"servo000.asm", "servo000.hex", "servo000.log", "servo001.asm",
                          "servo001.hex", "servo001.log"}));
}

void GenerationCommandTest::keepsNonAsciiNamesInTheCLocale()
{
    SHELL_SCRIPT_TEST_ONLY_ON_LINUX();
    // The C locale's encoding cannot hold "ä"; file names must still reach
    // the file system as given.
    Sandbox box;
    QVERIFY(box.IsValid());
    QVERIFY(QDir(box.Path("in")).mkdir(QStringLiteral("Vorlagenä")));
    QVERIFY(QFile::rename(box.Path(QStringLiteral("in/servo00.asm")),
                          box.Path(QStringLiteral("in/Vorlagenä/servo00.asm"))));
    const QString assembler = box.Path(QStringLiteral("tools/fake-assembler"));
    QVERIFY(WriteFile(assembler, FakeAssembler(kTableHexLine)));
    QVERIFY(QFile::setPermissions(assembler, QFile::ReadOwner | QFile::ExeOwner));

    const Run run = box.RunCli({"--template", QStringLiteral("in/Vorlagenä/servo00.asm"), "--out",
                                QStringLiteral("out/zielä.asm"), "--assembler", assembler},
                               QStringLiteral("C"));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(FilesIn(box.Path("out")),
             QStringList({QStringLiteral("zielä.asm"), QStringLiteral("zielä.hex"),
                          QStringLiteral("zielä.log")}));
}

void GenerationCommandTest::neverDrawsOverTheLogThroughALink()
{
    SHELL_SCRIPT_TEST_ONLY_ON_LINUX();
    // The link points nowhere until the run has written its log.
    Sandbox box;
    QVERIFY(box.IsValid());
    const QString assembler = box.Path(QStringLiteral("tools/fake-assembler"));
    QVERIFY(WriteFile(assembler, FakeAssembler("echo 'fake: error'\nexit 1\n")));
    QVERIFY(QFile::setPermissions(assembler, QFile::ReadOwner | QFile::ExeOwner));
    QVERIFY(QFile::link(QStringLiteral("servo000.log"), box.Path(QStringLiteral("out/curve.svg"))));

    const Run run = box.RunCli({"--template", "in/servo00.asm", "--out", "out/servo000.asm",
                                "--assembler", assembler, "--plot", "out/curve.svg"});
    QCOMPARE(run.exitCode, 3);
    QVERIFY2(run.err.contains(QStringLiteral("wäre die Ausgabedatei")), qPrintable(run.err));
    const QByteArray log = ReadBytes(box.Path(QStringLiteral("out/servo000.log")));
    QVERIFY2(log.startsWith("fake: error"), log.constData());
    QCOMPARE(run.out, log);
}

void GenerationCommandTest::guardsIgnoreTheCaseOfNamesOnWindows_data()
{
    // Absolute paths are made from these with the sandbox's root in front,
    // in upper case and with backslashes.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("target is the template in capitals")
        << QStringList{"--out", "IN/SERVO00.ASM"} << "ist die Vorlage selbst";
    QTest::newRow("target is the template, absolute")
        << QStringList{"--out", "@in/servo00.asm"} << "ist die Vorlage selbst";
    QTest::newRow("curve would be the template in capitals")
        << QStringList{"--out", "out/servo000.asm", "--plot", "@in/servo00.asm"}
        << "wäre die Vorlage selbst";
    QTest::newRow("curve would be the run's log in capitals")
        << QStringList{"--out", "out/servo000.asm", "--plot", "OUT/Servo000.LOG"}
        << "wäre die Ausgabedatei";
}

void GenerationCommandTest::guardsIgnoreTheCaseOfNamesOnWindows()
{
#ifndef Q_OS_WIN
    QSKIP("on Linux names that differ in case are different files");
#endif
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    Sandbox box;
    QVERIFY(box.IsValid());
    for (QString &argument : arguments) {
        if (argument.startsWith(u'@'))
            argument = QDir::toNativeSeparators(box.Path(argument.mid(1))).toUpper();
    }

    const Run run = box.RunCli(QStringList{"--template", "in/servo00.asm", "--assembler",
                                           FakeAssemblerPath("writes-hex.sh")}
                               + arguments);
    QVERIFY2(run.exitCode == 4, qPrintable(QString::number(run.exitCode) + u' ' + run.err));
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(FilesIn(box.Path(QStringLiteral("out"))), QStringList());
    QCOMPARE(FilesIn(box.Path(QStringLiteral("in"))), QStringList{"servo00.asm"});
    QCOMPARE(ReadBytes(box.Path(QStringLiteral("in/servo00.asm"))), box.TemplateBytes());
}

void GenerationCommandTest::guardsKnowTheShortNamesOfFolders_data()
{
    // "<lang>" is the template's folder, whose name is too long for 8.3;
    // "<kurz>" is the same folder by its short name.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("target is the template")
        << QStringList{"--out", "<kurz>/Servo07.Asm"} << "ist die Vorlage selbst";
    QTest::newRow("curve would be the template")
        << QStringList{"--out", "out/servo000.asm", "--plot", "<kurz>/servo07.asm"}
        << "wäre die Vorlage selbst";
    QTest::newRow("curve would be the run's HEX file, not made yet")
        << QStringList{"--out", "<lang>/servo000.asm", "--plot", "<kurz>/SERVO000.HEX"}
        << "wäre die Ausgabedatei";
}

void GenerationCommandTest::guardsKnowTheShortNamesOfFolders()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    Sandbox box;
    QVERIFY(box.IsValid());
    const QString longFolder = box.Path(QStringLiteral("in/ein-langer-ordnername"));
    const QString templatePath = longFolder + QStringLiteral("/servo07.asm");
    QVERIFY(QDir().mkpath(longFolder));
    QVERIFY(WriteFile(templatePath, box.TemplateBytes()));
    const QString shortFolder = platform::ShortPathName(longFolder);
    if (shortFolder.isEmpty()
        || shortFolder.compare(QDir::toNativeSeparators(longFolder), Qt::CaseInsensitive) == 0)
        QSKIP("no short names here: Linux has none, a Windows drive may have them turned off");
    for (QString &argument : arguments) {
        argument.replace(QStringLiteral("<lang>"), QDir::toNativeSeparators(longFolder));
        argument.replace(QStringLiteral("<kurz>"), shortFolder);
    }

    const Run run = box.RunCli(QStringList{"--template", QDir::toNativeSeparators(templatePath),
                                           "--assembler", FakeAssemblerPath("writes-hex.sh")}
                               + arguments);
    QVERIFY2(run.exitCode == 4, qPrintable(QString::number(run.exitCode) + u' ' + run.err));
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(FilesIn(longFolder), QStringList{"servo07.asm"});
    QCOMPARE(FilesIn(box.Path(QStringLiteral("out"))), QStringList());
    QCOMPARE(ReadBytes(templatePath), box.TemplateBytes());
}

QTEST_GUILESS_MAIN(GenerationCommandTest)
#include "generation_command_test.moc"
