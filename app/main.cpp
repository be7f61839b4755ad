// pulsakor: the window program.

#include "app/event_procedures.h"
#include "app/form1.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pulsakor"));
    // Lets the desktop match the window to its menu entry and icon.
    QApplication::setDesktopFileName(QStringLiteral("io.github.pulsakor.pulsakor"));

    // Qt's own dialogs and buttons speak German like the rest of the window.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    app::Form1 window;
    QApplication::setWindowIcon(window.windowIcon());
    window.Form_Load(app::SystemStartEnvironment());
    window.show();
    return application.exec();
}
