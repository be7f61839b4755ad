// pulsakor: the window program.

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pulsakor"));

    // Qt's own dialogs and buttons speak German like the rest of the window.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    QWidget window;
    window.setWindowTitle(QStringLiteral("AVR-Programmgenerator für Servo mit Tiny15"));
    window.resize(475, 429);
    window.show();
    return application.exec();
}
