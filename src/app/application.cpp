#include "app/application.h"

#include <QApplication>
#include <QMainWindow>

int runJeonpyo(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("jeonpyo"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("제조원가 투입 및 매출원가 대체 등록 폼입니다."));
    window.show();
    return app.exec();
}
