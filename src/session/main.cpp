// Entry point of the terminal program.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel window(
        QString::fromUtf8("BrannocPro: 主視窗尚未完成 (the main window is not built yet)"));
    window.setWindowTitle(QStringLiteral("BrannocPro"));
    window.setMargin(40);
    window.show();
    return app.exec();
}
