#include "generator/template_name.h"

#include <QtTest>

using namespace generator;

class TemplateNameTest : public QObject {
    Q_OBJECT
private slots:
    void checksTemplateName_data();
    void checksTemplateName();
    void explainsAMissingTemplate();
};

void TemplateNameTest::checksTemplateName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("passes");

    QTest::newRow("servo07.asm") << "servo07.asm" << true;
    QTest::newRow("servoAB.asm") << "servoAB.asm" << true;
    QTest::newRow("servo07.asm.bak") << "servo07.asm.bak" << true;
    QTest::newRow("servo07.asm, second .asm later") << "servo07.asm.asm" << true;
    QTest::newRow(".asm first, servo at 8") << ".asmXYZservo" << true;
    QTest::newRow(".asm first, servo at 8, more after") << ".asm___servo07.asm" << true;

    QTest::newRow("capital S") << "Servo07.asm" << false;
    QTest::newRow("capital ASM") << "servo07.ASM" << false;
    QTest::newRow("one character") << "servo7.asm" << false;
    QTest::newRow("three characters") << "servo007.asm" << false;
    QTest::newRow("prefix") << "myservo07.asm" << false;
    QTest::newRow("no file found") << "" << false;
    QTest::newRow("no .asm") << "servo07.hex" << false;
    QTest::newRow("servo without number") << "servo.asm" << false;
    QTest::newRow(".asm first, servo at 9") << ".asmXYZWservo" << false;
}

void TemplateNameTest::checksTemplateName()
{
    QFETCH(QString, name);
    QFETCH(bool, passes);
    QCOMPARE(CheckTemplateName(name), passes);
}

void TemplateNameTest::explainsAMissingTemplate()
{
    QCOMPARE(TemplateMissingMessage(),
             QStringLiteral("Es wurde keine Quelltext-Datei gefunden...\r\n('servo??.asm')"));
}

QTEST_GUILESS_MAIN(TemplateNameTest)
#include "template_name_test.moc"
