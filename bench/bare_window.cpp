// The reference for start-up time and idle memory: the barest Qt Widgets
// program with a window, a QMainWindow holding one slider. Built with
// BARE_WITH_TEXT it also shows one line of text, which is what any window
// with words on it pays for (the font set-up) and the bare one does not.
#include <QApplication>
#include <QMainWindow>
#include <QSlider>
#ifdef BARE_WITH_TEXT
#include <QLabel>
#include <QVBoxLayout>
#endif

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    auto* slider = new QSlider(Qt::Horizontal);
#ifdef BARE_WITH_TEXT
    auto* client = new QWidget;
    auto* layout = new QVBoxLayout(client);
    layout->addWidget(new QLabel(QStringLiteral("Rød")));
    layout->addWidget(slider);
    window.setCentralWidget(client);
#else
    window.setCentralWidget(slider);
#endif
    window.resize(610, 349);
    window.show();
    return QApplication::exec();
}
