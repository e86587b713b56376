// The baseline of the start-up benchmark: a plain Qt main window with about as many
// widgets as the program's main window (menu bar with two menus, a banner, a drop-down,
// labels, text fields, check boxes, buttons and two side frames) and nothing else. Like the
// program, it makes no shared OpenGL context at start-up.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Korvant"));
    QMenu* tools = window.menuBar()->addMenu(QStringLiteral("Tools"));
    for (const char* entry : {"Start Up Options", "Favorite Stations List", "Links Menu",
                              "Send To Sys Tray", "About Korvant", "Exit"})
        tools->addAction(QString::fromLatin1(entry));
    QMenu* links = window.menuBar()->addMenu(QStringLiteral("PindleChat"));
    for (int i = 0; i < 5; ++i)
        links->addAction(QStringLiteral("Link %1").arg(i + 1));

    auto* central = new QWidget;
    window.setCentralWidget(central);
    auto* banner = new QLabel(QStringLiteral("banner"), central);
    banner->setGeometry(0, 0, 620, 60);
    for (const char* text : {"Play", "Pause", "Stop"})
        new QPushButton(QString::fromLatin1(text), central);
    new QSlider(Qt::Horizontal, central);
    auto* combo = new QComboBox(central);
    combo->setGeometry(112, 140, 490, 24);
    for (int i = 0; i < 10; ++i)
        combo->addItem(QStringLiteral("Station %1").arg(i));
    for (int i = 0; i < 12; ++i)
        (new QLabel(QStringLiteral("Label %1").arg(i), central))->move(0, 170 + 20 * i);
    auto* options = new QGroupBox(QStringLiteral("Start-Up Options:"), central);
    options->setGeometry(608, 0, 360, 330);
    for (int i = 0; i < 3; ++i)
        (new QCheckBox(QStringLiteral("Option %1").arg(i), options))->move(10, 30 + 30 * i);
    new QLineEdit(options);
    new QLineEdit(options);
    auto* favourites = new QGroupBox(QStringLiteral("Favorites Manager :"), central);
    favourites->setGeometry(616, 0, 380, 330);
    for (int i = 0; i < 20; ++i)
        (new QLineEdit(favourites))->setGeometry(10 + 180 * (i / 10), 20 + 28 * (i % 10), 170, 24);
    options->hide();
    favourites->hide();
    window.resize(622, 330);
    window.show();
    return QApplication::exec();
}
