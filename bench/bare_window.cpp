// pulsakor-bare-window: the yardstick for the window's start-up, a Qt window
// with one label and nothing else.

#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QLabel label(QStringLiteral("Hallo"));
    label.show();
    return application.exec();
}
