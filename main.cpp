#include "ui/CVantorApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    int result = 1;
    {
        // The application, and with it the board state, goes before QApplication does.
        CVantorApp app;
        if (app.InitInstance(QCoreApplication::arguments()))
            result = qapp.exec();
    }
    return result;
}
