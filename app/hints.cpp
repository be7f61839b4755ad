#include "app/hints.h"

#include <cmath>

namespace app {

HintTable BuildHintTexts()
{
    const QString pulseWidth = QStringLiteral(
        "Impulsbreite, bei der die Endlage (die der nebenstehenden Spannung entspricht) "
        "erreicht werden soll.");
    HintTable t;
    t[1] = QStringLiteral("Betriebsspannung, die am Poti anliegt, während die Spannungen in den "
                          "Endlagen gemessen werden.");
    t[2] = QStringLiteral("Spannung, die am Potischleifer gemessen wird, wenn das Servo in die "
                          "eine Endlage gefahren wird.");
    t[3] = QStringLiteral("Spannung, die am Potischleifer gemessen wird, wenn das Servo in die "
                          "andere Endlage gefahren wird.");
    t[4] = pulseWidth;
    t[5] = pulseWidth;
    t[6] = QStringLiteral("Der PWM-Zählumfang hat Einfluss auf die Stabilität des "
                          "Regelverhaltens. Ist er zu klein, schwingt das Servo um den Zielwert. "
                          "Ist er zu groß, wird der Zielwert nicht erreicht.");
    t[7] = QStringLiteral("Die gemessene Spannung in Millivolt eingeben, dabei keine Trennzeichen "
                          "wie Punkt oder Komma benutzen. Die letzte Ziffer sollte 0 sein.");
    t[8] = QStringLiteral("Die gewünschte Impulsbreite in Mikrosekunden eingeben, dabei keine "
                          "Trennzeichen wie Punkt oder Komma benutzen. Die letzte Ziffer sollte 0 "
                          "sein.");
    t[9] = QStringLiteral("Den gewünschten PWM-Zählumfang als ganze Zahl eingeben.");
    t[10] = QStringLiteral("Mausklick öffnet Dialog zum Öffnen der ASM-Vorlage-Datei, die "
                           "standardmäßig 'servo00.asm' heißen sollte.");
    t[11] = QStringLiteral("Mausklick öffnet Dialog zum Finden des Assembler-Tools, das zum "
                           "Erstellen der HEX-Datei benötigt wird und standardmäßig "
                           "'avrasm32.exe' heißt.");
    t[12] = QStringLiteral("Mausklick öffnet Dialog zum Erstellen der speziellen Assemblerdatei "
                           "mit Korrekturtabelle. Danach wird die Assemblerdatei erstellt und die "
                           "Hex-Datei assembliert. Das Ergebnis erscheint in der Log-Datei.");
    t[13] = QStringLiteral("Mausklick beendet das Programm.");
    t[14] = QStringLiteral("Hier erscheint nach dem Erstellen des AVR-Programms die Tabelle und "
                           "die Logdatei zur Ansicht.");
    t[15] = QStringLiteral("Wird dieses Feld aktiviert, so wird nach dem Erstellen der HEX-Datei "
                           "die ASM-Datei gelöscht. Es werden also nur HEX-Datei und LOG-Datei "
                           "erstellt.");
    t[16] = QStringLiteral("Mit den Karteikarten werden die verschiedenen Bereiche der "
                           "Programmoberfläche ausgewählt.");
    t[17] = QStringLiteral("Dieses Feld dient im Rahmen der Benutzerführung zur Anzeige von "
                           "Hilfetexten bzw. Hinweisen.");
    t[ProgramChipHint] = QStringLiteral(
        "Mausklick öffnet Dialog zum Auswählen der HEX-Datei, vorgeschlagen wird die zuletzt "
        "erstellte. Sie wird dann mit avrdude in den AT-Tiny15 geschrieben, sein Kalibrierbyte "
        "ins EEPROM.");
    t[ProgramAfterRunHint] = QStringLiteral(
        "Wird dieses Feld aktiviert, so wird nach dem Erstellen der HEX-Datei gleich der Chip "
        "programmiert, mit den Einstellungen unter 'Programmer...'.");
    t[ProgrammerHint] = QStringLiteral(
        "Mausklick öffnet Dialog zum Einstellen von avrdude: Programmer, Anschluss, Baudrate und "
        "die EEPROM-Adresse für das Kalibrierbyte.");
    t[TeachInHint] = QStringLiteral(
        "Mausklick öffnet Dialog zum Einlernen der Endlagen: Eine Einlern-Firmware im AT-Tiny15 "
        "misst die Spannungen am Potischleifer in beiden Endlagen, sie werden dann in die "
        "Felder übernommen.");
    return t;
}

std::int16_t Label1HintIndex(int index)
{
    return static_cast<std::int16_t>(index + 1);
}

std::int16_t Text1HintIndex(int index)
{
    return static_cast<std::int16_t>(std::floor(index * 0.4) + 7);
}

} // namespace app
