// The main window from the keyboard and through a screen reader: what Tab visits, which
// letters the mnemonics take, and what each control is read out as.
#include "window_fixture.h"

#include "player/stream_tester.h"
#include "wait.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <algorithm>

namespace {

using window_test::WindowTest;

// The control that owns the keyboard when the focus is in w: the drop-down for its own
// text field.
QWidget* keyboardOwner(QWidget* w) {
    if (w != nullptr && qobject_cast<QComboBox*>(w->parentWidget()) != nullptr)
        return w->parentWidget();
    return w;
}

QRect inWindow(const QWidget* w) {
    return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size());
}

// Whole, shown and inside the window's client area: what the user can see.
bool inView(const QWidget* w) {
    const auto* main = qobject_cast<const QMainWindow*>(w->window());
    const QWidget* client = main != nullptr ? main->centralWidget() : w->window();
    return w->isVisible() &&
           QRect(client->mapTo(w->window(), QPoint(0, 0)), client->size()).contains(inWindow(w));
}

// Reading order: rows from top to bottom (a control is on a row when its middle lies
// within the height of the row's first control), each row from left to right.
std::vector<QWidget*> inReadingOrder(std::vector<QWidget*> widgets) {
    std::sort(widgets.begin(), widgets.end(), [](QWidget* a, QWidget* b) {
        return inWindow(a).center().y() < inWindow(b).center().y();
    });
    std::vector<QWidget*> ordered;
    for (std::size_t start = 0; start < widgets.size();) {
        const QRect first = inWindow(widgets[start]);
        std::size_t end = start + 1;
        while (end < widgets.size() && inWindow(widgets[end]).center().y() <= first.bottom())
            ++end;
        std::stable_sort(widgets.begin() + long(start), widgets.begin() + long(end),
                         [](QWidget* a, QWidget* b) { return inWindow(a).x() < inWindow(b).x(); });
        ordered.insert(ordered.end(), widgets.begin() + long(start), widgets.begin() + long(end));
        start = end;
    }
    return ordered;
}

// Every control in view that Tab may stop at, in reading order.
std::vector<QWidget*> tabStopsInView(QWidget& window) {
    std::vector<QWidget*> stops;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->focusProxy() != nullptr || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        if (keyboardOwner(w) != w || !inView(w))
            continue;
        stops.push_back(w);
    }
    return inReadingOrder(stops);
}

std::string names(const std::vector<QWidget*>& widgets) {
    QStringList list;
    for (QWidget* w : widgets)
        list << (w->objectName().isEmpty() ? w->accessibleName() : w->objectName());
    return list.join(", ").toStdString();
}

// Presses Tab from where the focus is until it comes back, and returns what had it.
std::vector<QWidget*> tabRound() {
    std::vector<QWidget*> visited;
    QWidget* first = keyboardOwner(QApplication::focusWidget());
    if (first == nullptr)
        return visited;
    visited.push_back(first);
    for (int press = 0; press < 80; ++press) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* now = keyboardOwner(QApplication::focusWidget());
        if (now == first)
            break;
        visited.push_back(now);
    }
    return visited;
}

// Checks that one round of Tab visits exactly the controls in view, in reading order
// (starting wherever the focus was), and returns the presses it took to reach the
// drop-down.
long checkTabRoundIsReadingOrder(QWidget& window, QWidget* dropDown) {
    const std::vector<QWidget*> expected = tabStopsInView(window);
    std::vector<QWidget*> visited = tabRound();
    EXPECT_FALSE(visited.empty());
    if (visited.empty() || expected.empty())
        return -1;
    for (QWidget* w : visited)
        EXPECT_TRUE(inView(w)) << "Tab reached a control out of sight: "
                               << w->objectName().toStdString();
    const long pressesToDropDown =
        std::find(visited.begin(), visited.end(), dropDown) - visited.begin();
    // The round, turned to start where the reading order starts.
    const auto start = std::find(visited.begin(), visited.end(), expected.front());
    if (start != visited.end())
        std::rotate(visited.begin(), start, visited.end());
    EXPECT_EQ(names(visited), names(expected));
    return pressesToDropDown;
}

TEST_F(WindowTest, TabFromTheStartVisitsOnlyWhatIsInViewInReadingOrder) {
    load();
    showActive();
    QWidget* dropDown = &combo();
    const std::vector<QWidget*> order = tabStopsInView(*window);
    const QWidget* start = keyboardOwner(QApplication::focusWidget());
    ASSERT_NE(start, nullptr);
    const long expectedPresses = std::find(order.begin(), order.end(), dropDown) -
                                 std::find(order.begin(), order.end(), start);
    // The player's three buttons, its sleep timer, its record button, its mute button and
    // its volume come before it.
    EXPECT_EQ(expectedPresses, 7) << "reading order: " << names(order);
    EXPECT_EQ(checkTabRoundIsReadingOrder(*window, dropDown), expectedPresses);
}

TEST_F(WindowTest, ControlsBelowTheClientAreaJoinTheTabRoundOnceTheWindowIsTallEnoughToShowThem) {
    load();
    showActive();
    window->resize(window->width(), window->height() + 120);
    ASSERT_TRUE(testsupport::waitFor([this] { return inView(window->Text3); }));
    checkTabRoundIsReadingOrder(*window, &combo());
    for (QWidget* w : std::initializer_list<QWidget*>{window->Command4, window->cmdAddtray,
                                                      window->Label9, window->Text2})
        EXPECT_TRUE(w->focusPolicy() & Qt::TabFocus) << w->objectName().toStdString();
}

// The letter of a caption's mnemonic, or an empty string.
QString mnemonicOf(const QString& caption) {
    const QKeySequence key = QKeySequence::mnemonic(caption);
    return key.isEmpty() ? QString() : key.toString();
}

TEST_F(WindowTest, EachMnemonicInViewIsTheOnlyOneOnItsKey) {
    load();
    showActive();
    QStringList keys;
    for (QAction* a : window->menuBar()->actions())
        if (a->isVisible())
            keys << mnemonicOf(a->text());
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        if (inView(b))
            keys << mnemonicOf(b->text());
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->buddy() != nullptr && inView(l))
            keys << mnemonicOf(l->text());
    keys.removeAll(QString());
    ASSERT_FALSE(keys.isEmpty());
    QStringList unique = keys;
    unique.removeDuplicates();
    EXPECT_EQ(keys.size(), unique.size()) << keys.join(' ').toStdString();

    // Alt+T opens the Tools menu every time; no control out of sight takes it in turn.
    int opened = 0;
    QObject::connect(window->mnuSettings, &QMenu::aboutToShow, [&opened] { ++opened; });
    for (int press = 1; press <= 2; ++press) {
        QTest::keyClick(window.get(), Qt::Key_T, Qt::AltModifier);
        ASSERT_TRUE(testsupport::waitFor([&] { return opened == press; }))
            << "press " << press << " focus " << names({QApplication::focusWidget()});
        window->mnuSettings->hide();
        ASSERT_TRUE(testsupport::waitFor([this] { return !window->mnuSettings->isVisible(); }));
    }
    EXPECT_EQ(addCalls(), 0);
    EXPECT_NE(QApplication::focusWidget(), static_cast<QWidget*>(window->cmdAddtray));
    // The exit button's Alt+X does nothing while the button is out of sight.
    QTest::keyClick(window.get(), Qt::Key_X, Qt::AltModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(endCalls, 0);
    EXPECT_TRUE(window->isVisible());
}

QString readName(QObject* o) {
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(o);
    return read != nullptr ? read->text(QAccessible::Name) : QStringLiteral("<none>");
}

TEST_F(WindowTest, EveryTextFieldIsReadOutWithTheLabelBesideIt) {
    load();
    std::map<const QLineEdit*, QString> besides = {
        {window->Frame4->txtAbfavname, window->Frame4->Label15->text()},
        {window->Frame4->txtAbfavurl, window->Frame4->Label17->text()},
        {window->Text2, window->Label9->text()},
        {window->Text3, window->Label9->text()},
        {combo().lineEdit(), "Now Streaming"},
        {window->Frame5->tester->Text1, "Stream address to test"}};
    for (int i = 0; i < favourites::kSlots; ++i) {
        besides[window->Frame3->txtStaname[i]] = QString("Station name %1").arg(i + 1);
        besides[window->Frame3->txtStaurl[i]] = QString("Stream URL %1").arg(i + 1);
    }
    const QList<QLineEdit*> fields = window->findChildren<QLineEdit*>();
    EXPECT_EQ(std::size_t(fields.size()), besides.size()) << "a text field with no label here";
    for (QLineEdit* field : fields) {
        const QString name = readName(field);
        EXPECT_FALSE(name.isEmpty()) << field->objectName().toStdString();
        if (besides.count(field) != 0) {
            EXPECT_EQ(name, besides.at(field)) << field->objectName().toStdString();
        }
    }
}

TEST_F(WindowTest, OnOffDisplaysAreReadOutAsWhatTheyShow) {
    writeSettings(window_test::settingsFields("http://127.0.0.1:9/f", "no", "yes", "Fav"));
    load();
    QLabel* tray = window->Frame5->lblAtraydisplay;
    QLabel* stream = window->Frame5->lblAstreamdisplay;
    EXPECT_EQ(readName(tray), "OFF");
    EXPECT_EQ(readName(stream), "ON");
    window->mnuStartops_Click();
    window->Frame4->chkAtray->setChecked(true);
    window->Frame4->chkAstream->setChecked(false);
    window->Command1_Click();
    EXPECT_EQ(tray->text(), "ON");
    EXPECT_EQ(readName(tray), "ON");
    EXPECT_EQ(readName(stream), "OFF");
    // The caption is the display's label, not a second reading of the caption.
    EXPECT_EQ(window->Frame5->Label20->buddy(), tray);
    EXPECT_EQ(window->Frame5->Label22->buddy(), stream);
}

} // namespace
