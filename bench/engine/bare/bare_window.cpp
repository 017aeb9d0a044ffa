// The yardstick of the start-up benchmark: a bare Qt 6 window program, built with the same
// flags as vantor, that shows a main window with a title, a text and a row of four
// buttons and ends as soon as the window is up.
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    auto* frame = new QWidget(&window);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(new QLabel(QStringLiteral("<h3>Welcome</h3>"), frame));
    layout->addWidget(new QLabel(QStringLiteral("A bare window."), frame), 10);
    auto* row = new QHBoxLayout;
    layout->addLayout(row);
    for (const char* text : {"&Cancel", "&Back", "&Next", "&Done"})
        row->addWidget(new QPushButton(QString::fromLatin1(text), frame));
    window.setCentralWidget(frame);
    window.setWindowTitle(QStringLiteral("bare"));
    window.setMinimumSize(512, 384);
    window.show();
    QTimer::singleShot(0, [] {
        std::fprintf(stderr, "first window shown\n");
        QCoreApplication::exit(0);
    });
    return app.exec();
}
