#pragma once
// The window's design values, in one place: what every control is when the
// window is created (position and size in twips, relative to its container;
// caption or text) and the few values the window assumes about its
// surroundings. Form1 builds its controls from them; the resize layout keeps
// the values it does not compute from them, so a control moved here is moved
// for good; the widget-free window model starts with the same texts. The
// field texts and captions come from generator/, which pulsakor-cli shares.

#include "generator/servo_parameters.h"

#include <QString>

#include <array>

namespace app {

/// Left, top, width and height of one control in twips, relative to its
/// container.
struct TwipRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    friend bool operator==(const TwipRect &, const TwipRect &) = default;
};

namespace design {

// The window.
inline const QString kCaption = QStringLiteral("AVR-Programmgenerator für Servo mit Tiny15");
/// The client area at start, 475 x 429 pixels at 96 dpi.
inline constexpr float kClientWidth = 7125;
inline constexpr float kClientHeight = 6435;
/// An ordinary sizable frame at 96 dpi: 4 pixels of border on each side and
/// a title bar, together 8 x 31 pixels. Assumed where the window system does
/// not tell the frame (offscreen, a display without window manager).
inline constexpr float kAssumedFrameWidth = 120;
inline constexpr float kAssumedFrameHeight = 465;
/// Pixels between the end of the tab row and "Ende", which lies in front of
/// the row's right end: each tab stays within the mouse's reach.
inline constexpr int kGapBeforeEndePixels = 2;

// Controls of the window itself.
inline constexpr int kPageCount = 3;
inline const std::array<QString, kPageCount> kTabCaptions{
    QStringLiteral("Eingabe der Servo-Parameter"), QStringLiteral("Auswahl der ASM-Datei"),
    QStringLiteral("Info")};
inline constexpr TwipRect kSSTab1{0, 0, 7095, 5295};
inline const QString kHlptText = QStringLiteral("Kalmorius' Hilfe...");
inline constexpr TwipRect kHlpt{600, 5400, 5895, 975};
inline const QString kCommand1Caption = QStringLiteral("Ende");
inline constexpr TwipRect kCommand1{5760, 0, 1095, 255};
/// Relative to the whole tab control, its tab row included.
inline constexpr std::array<TwipRect, kPageCount> kFrame1{
    {{120, 360, 6735, 4815}, {120, 360, 6855, 4815}, {120, 360, 8655, 4815}}};

// Page 0: the parameter grid, two columns of three rows. Each caption box
// Label1(i) holds its field Text1(i) and unit label Label2(i) at fixed
// offsets; each row is enclosed by one rectangle.
inline const std::array<QString, 6> kLabel1Captions = generator::ParameterCaptions();
inline constexpr std::array<TwipRect, 6> kLabel1{{{240, 240, 3135, 1215},
                                                  {240, 1800, 3135, 1215},
                                                  {240, 3360, 3135, 1215},
                                                  {3480, 1800, 3135, 1215},
                                                  {3480, 3360, 3135, 1215},
                                                  {3480, 240, 3135, 1215}}};
/// The field texts Text1(0) .. Text1(5) until the settings bring others.
inline const generator::ParameterTexts kText1Texts = generator::DefaultParameterTexts();
inline constexpr TwipRect Text1(int index)
{
    return {kLabel1[index].left + 240, kLabel1[index].top + 600, 1215, 405};
}
inline const std::array<QString, 6> kLabel2Texts{
    QStringLiteral("mV"), QStringLiteral("mV"), QStringLiteral("mV"),
    QStringLiteral("µs"), QStringLiteral("µs"), QStringLiteral("(5...250)")};
inline constexpr TwipRect Label2(int index)
{
    return {kLabel1[index].left + 1680, kLabel1[index].top + 660, 1335, 255};
}
inline constexpr TwipRect kShape3{120, 120, 6615, 1455};
inline constexpr TwipRect kShape1{120, 1680, 6615, 1455};
inline constexpr TwipRect kShape2{120, 3240, 6615, 1455};

// Page 1: the template and the assembler.
inline const QString kLabel4Caption = QStringLiteral("Quelldatei:");
inline constexpr TwipRect kLabel4{240, 240, 1935, 255};
/// Label3's caption until a template path replaces it.
inline const QString kLabel3Caption = QStringLiteral("Quelldatei");
inline constexpr TwipRect kLabel3{240, 480, 6495, 615};
/// Label5's caption until an assembler path replaces it.
inline const QString kLabel5Caption = QStringLiteral("Assembler");
inline constexpr TwipRect kLabel5{240, 1680, 6495, 615};
inline const QString kCheck1Caption =
    QStringLiteral("ASM-Datei nach Erstellen der HEX-Datei löschen");
inline constexpr TwipRect kCheck1{240, 2520, 4695, 255};
inline const QString kCommand2Caption = QStringLiteral("ASM-Datei speichern und HEX-Datei erzeugen");
inline constexpr TwipRect kCommand2{4080, 3000, 2655, 735};

// Page 1: programming the chip through avrdude, in the room the page leaves
// free at the default size (the tab row has none for a fourth page): a row
// below the generate button and, beside it, the box that makes each run
// program the chip. Even where the window system reports no title bar, so
// that the frames come out lowest, the row stays inside the page.
/// Command3 writes a HEX file into the chip; the layout keeps it right-
/// aligned below Command2, with Command2's width.
inline const QString kCommand3Caption = QStringLiteral("Chip programmieren...");
inline constexpr TwipRect kCommand3{4080, 3885, 2655, 375};
/// Command4 opens the programmer's settings.
inline const QString kCommand4Caption = QStringLiteral("Programmer...");
inline constexpr TwipRect kCommand4{240, 3885, 1815, 375};
/// Command5 opens the teach-in of the end stops; it stands in the row's
/// middle, clear of Command3 wherever the layout puts that.
inline const QString kCommand5Caption = QStringLiteral("Endlagen einlernen...");
inline constexpr TwipRect kCommand5{2130, 3885, 1845, 375};
/// Check2 makes each generation run program the chip; it stands left of
/// Command2, centred on it, below Check1.
inline const QString kCheck2Caption = QStringLiteral("Danach den Chip programmieren");
inline constexpr TwipRect kCheck2{240, 3240, 3600, 255};

// Page 2: the listing view; its text comes at start-up.
inline constexpr TwipRect kText2{0, 0, 6735, 4575};

} // namespace design

} // namespace app
