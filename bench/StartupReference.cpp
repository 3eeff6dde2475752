// The least a Qt Widgets program does to show a dialog of the editor window's size:
// the reference for the editor's start-up.

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <cstdlib>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QDialog dialog;
    if (argc >= 3) {
        dialog.setFixedSize(std::atoi(argv[1]), std::atoi(argv[2]));
    }
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.done(0); });
    dialog.exec();
    return 0;
}
