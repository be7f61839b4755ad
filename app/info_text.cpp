#include "app/info_text.h"

#include <QStringList>

namespace app {

QString BuildInfoText()
{
    const QString a = QStringLiteral(
        "Dieses Programm dient dazu, eine Korrekturtabelle zu berechnen, die in das AVR-Programm "
        "für die Servosteuerung mit AT-Tiny15 eingebunden wird. ");
    const QString b = QStringLiteral(
        "Diese Korrekturtabelle ist erforderlich, da viele Servos unterschiedliche "
        "Potentiometer- Charakteristik aufweisen. ");
    const QString c = QStringLiteral(
        "Im AVR-Programm dient die erstellte Tabelle dazu, aus jeder Ruderstellung eine "
        "äquivalente Impulsbreite zu ermitteln, die mit der vom Sender / Empfänger übertragenen "
        "Impulsbreite verglichen werden kann.");
    const QString d = QStringLiteral(
        "Zur exakten Berechnung ist Betriebsspannung des Servos sowie die Spannung am "
        "Potischleifer in beiden Endlagen zu messen. Diese Werte und die zugehörigen gewünschten "
        "Impulsbreitenwerte sind in das Formular einzutragen.");
    const QString e = QStringLiteral(
        "Zusätzlich ist noch der Wert für den Zählumfang des PWM-Zählers einzutragen, da dieser "
        "auch speziell auf jede Servomechanik abgeglichen werden muss. Ein zu kleiner "
        "PWM-Zählumfang bringt das Servo zum Überschwingen, es pendelt also um seine "
        "Zielposition herum. ");
    const QString f = QStringLiteral(
        "Ist der Wert zu groß, dann verliert der Servomotor sein Drehmoment, bevor die "
        "Zielposition erreicht ist.");
    const QString g = QStringLiteral(
        "Nach Eingabe der Servo-Parameter (linke 'Karteikarte') kann die Zieldatei erstellt "
        "werden (mittlere 'Karteikarte'). Dazu ist vorerst die Assembler-Quelldatei "
        "auszuwählen. Diese sollte 'servo??.asm' heißen, wobei '?\?' für zwei Ziffern steht. ");
    const QString h = QStringLiteral(
        "Weiterhin ist die Datei 'avrasm32.exe' zu suchen, die mit dem AVR-Studio installiert "
        "wurde. Ist diese vorhanden und eingetragen, dann erzeugt das Programm gleich die "
        "Hex-Datei zum Transfer in den AVR. Auf Wunsch kann dabei die erzeugte ASM-Datei "
        "gelöscht werden. ");
    const QString i = QStringLiteral(
        "Die erzeugten Dateien heißen sinnvollerweise 'servo???.hex' und ggf. 'servo???.asm', "
        "wobei '??\?' für 3 Ziffern steht. Zusätzlich wird die Textdatei 'servo???.log' erstellt, "
        "in der alle relevanten Daten zum Servo enthalten sind .");
    const QString j = QStringLiteral(
        "Am unteren Rand des Programmfensters werden kontextsensitive Hinweise eingeblendet, "
        "wenn man mit dem Mauszeiger über die Programmoberfläche fährt. ");

    const QStringList lines{a + b, c, QString(), d, e + f, QString(), g + h + i, QString(), j};
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace app
