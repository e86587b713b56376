#include "player/stream_tester.h"

#include "common/click_label.h"
#include "platform/placement.h"

#include <QLineEdit>
#include <QPushButton>

namespace player {

namespace {
const QString kShowCaption = QStringLiteral("Stream Tester");
const QString kHideCaption = QStringLiteral("Hide Stream Tester");
} // namespace

StreamTester::StreamTester(QWidget* panel, platform::MediaPlayer& player,
                           platform::MessageBox& messages)
    : QObject(panel), lblTeststr(new common::ClickLabel(kShowCaption, panel)),
      Text1(new QLineEdit(panel)), cmdStreamtest(new QPushButton(tr("Test"), panel)),
      player_(player), messages_(messages) {
    lblTeststr->setObjectName("lblTeststr");
    QFont font = lblTeststr->font();
    font.setBold(true);
    font.setUnderline(true);
    lblTeststr->setFont(font);
    Text1->setObjectName("Text1");
    Text1->setAccessibleName(tr("Stream address to test"));
    Text1->setPlaceholderText(tr("http://"));
    cmdStreamtest->setObjectName("cmdStreamtest");
    cmdStreamtest->setAccessibleName(tr("Test"));
    platform::place(lblTeststr, 0, 1800);
    platform::place(Text1, 0, 2040, 8055, 405);
    platform::place(cmdStreamtest, 8160, 2040, 855, 405);
    Text1->hide();
    cmdStreamtest->hide();
    connect(lblTeststr, &common::ClickLabel::clicked, this, &StreamTester::lblTeststr_Click);
    connect(cmdStreamtest, &QPushButton::clicked, this, &StreamTester::cmdStreamtest_Click);
    // Enter in the address box tests it, as a user would expect.
    connect(Text1, &QLineEdit::returnPressed, this, &StreamTester::cmdStreamtest_Click);
}

void StreamTester::lblTeststr_Click() {
    if (lblTeststr->text() == kShowCaption) {
        Text1->show();
        cmdStreamtest->show();
        lblTeststr->setText(kHideCaption);
        lblTeststr->adjustSize();
        lblTeststr->setAccessibleName(kHideCaption);
    } else {
        lblTeststr->setText(kShowCaption);
        lblTeststr->adjustSize();
        lblTeststr->setAccessibleName(kShowCaption);
        Text1->hide();
        cmdStreamtest->hide();
    }
}

void StreamTester::cmdStreamtest_Click() {
    if (Text1->text().isEmpty()) {
        messages_.show(Text1->window(), tr("You must enter a URL to test."),
                       QStringLiteral("Korvant Lite"));
        Text1->setFocus();
        return;
    }
    play(Text1->text());
}

void StreamTester::play(const QString& address) {
    player_.setURL(address);
}

} // namespace player
