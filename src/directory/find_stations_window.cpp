#include "directory/find_stations_window.h"

#include <QBoxLayout>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace directory {

namespace {

enum Column { cName, cCountry, cCodec, cTags, cVotes, cColumns };

// Tool tips are rich text whenever they look like it; escaped text inside a paragraph is
// always shown exactly as it is.
QString plainToolTip(const QString& text) {
    return QStringLiteral("<p style='white-space:pre-wrap'>") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

QString codecText(const Station& s) {
    if (s.bitrate > 0 && !s.codec.isEmpty())
        return QStringLiteral("%1 %2 kbit/s").arg(s.codec).arg(s.bitrate);
    if (s.bitrate > 0)
        return QStringLiteral("%1 kbit/s").arg(s.bitrate);
    return s.codec;
}

// A menu entry's text shows '&' as a mnemonic marker unless doubled.
QString menuText(const QString& text) {
    return QString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

FindStationsWindow::FindStationsWindow(FindStationsHooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window), txtName(new QLineEdit(this)), txtTag(new QLineEdit(this)),
      txtCountry(new QLineEdit(this)), txtLanguage(new QLineEdit(this)),
      txtCodec(new QLineEdit(this)), lstResults(new QTreeWidget(this)), lblStatus(new QLabel(this)),
      cmdPrevious(new QPushButton(tr("Previous 100"), this)),
      cmdNext(new QPushButton(tr("Next 100"), this)), cmdPlay(new QPushButton(tr("Play"), this)),
      cmdPutInSlot(new QPushButton(tr("Put in slot…"), this)), mnuSlots(new QMenu(this)),
      hooks_(std::move(hooks)), typing_(new QTimer(this)) {
    setObjectName("frmFindStations");
    setWindowTitle(tr("Find Stations"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    txtName->setObjectName("txtName");
    txtName->setPlaceholderText(tr("Station name"));
    txtName->setClearButtonEnabled(true);
    txtTag->setObjectName("txtTag");
    txtTag->setPlaceholderText(tr("e.g. jazz"));
    txtCountry->setObjectName("txtCountry");
    txtLanguage->setObjectName("txtLanguage");
    txtCodec->setObjectName("txtCodec");
    txtCodec->setPlaceholderText(tr("e.g. MP3, AAC, OGG"));
    auto* fields = new QFormLayout;
    fields->addRow(tr("&Name:"), txtName);
    fields->addRow(tr("&Tag:"), txtTag);
    fields->addRow(tr("C&ountry:"), txtCountry);
    fields->addRow(tr("&Language:"), txtLanguage);
    fields->addRow(tr("Co&dec:"), txtCodec);
    for (QLineEdit* e : {txtName, txtTag, txtCountry, txtLanguage, txtCodec}) {
        e->setMaxLength(100);
        e->setAccessibleName(static_cast<QLabel*>(fields->labelForField(e))->text().remove('&'));
        connect(e, &QLineEdit::textEdited, this, &FindStationsWindow::typed);
        connect(e, &QLineEdit::returnPressed, this, &FindStationsWindow::searchNow);
    }

    lstResults->setObjectName("lstResults");
    lstResults->setAccessibleName(tr("Stations found"));
    lstResults->setColumnCount(cColumns);
    lstResults->setHeaderLabels({tr("Name"), tr("Country"), tr("Codec"), tr("Tags"), tr("Votes")});
    lstResults->setRootIsDecorated(false);
    lstResults->setUniformRowHeights(true);
    lstResults->setAllColumnsShowFocus(true);
    lstResults->setSelectionMode(QAbstractItemView::SingleSelection);
    lstResults->setTextElideMode(Qt::ElideRight);
    lstResults->header()->setStretchLastSection(false);
    lstResults->header()->setSectionResizeMode(cName, QHeaderView::Stretch);
    lstResults->setColumnWidth(cCountry, 120);
    lstResults->setColumnWidth(cCodec, 110);
    lstResults->setColumnWidth(cTags, 160);
    lstResults->setColumnWidth(cVotes, 60);
    connect(lstResults, &QTreeWidget::itemSelectionChanged, this,
            &FindStationsWindow::selectionChanged);
    connect(lstResults, &QTreeWidget::itemActivated, this, [this] { playSelected(); });

    lblStatus->setObjectName("lblStatus");
    lblStatus->setTextFormat(Qt::PlainText);
    lblStatus->setWordWrap(true);
    lblStatus->setAccessibleName(tr("Search status"));

    cmdPrevious->setObjectName("cmdPrevious");
    cmdNext->setObjectName("cmdNext");
    cmdPlay->setObjectName("cmdPlay");
    cmdPutInSlot->setObjectName("cmdPutInSlot");
    mnuSlots->setObjectName("mnuSlots");
    cmdPutInSlot->setMenu(mnuSlots);
    connect(mnuSlots, &QMenu::aboutToShow, this, &FindStationsWindow::fillSlotMenu);
    connect(cmdPrevious, &QPushButton::clicked, this, &FindStationsWindow::showPreviousPage);
    connect(cmdNext, &QPushButton::clicked, this, &FindStationsWindow::showNextPage);
    connect(cmdPlay, &QPushButton::clicked, this, &FindStationsWindow::playSelected);
    for (QPushButton* b : {cmdPrevious, cmdNext, cmdPlay, cmdPutInSlot}) {
        b->setAccessibleName(b->text());
        b->setEnabled(false);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdPrevious);
    buttons->addWidget(cmdNext);
    buttons->addStretch(1);
    buttons->addWidget(cmdPlay);
    buttons->addWidget(cmdPutInSlot);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(lstResults, 1);
    layout->addWidget(lblStatus);
    layout->addLayout(buttons);
    resize(720, 520);

    typing_->setSingleShot(true);
    typing_->setInterval(kTypingPauseMs);
    connect(typing_, &QTimer::timeout, this, &FindStationsWindow::searchNow);
    setStatus(tr("Type a station name, or a tag, country, language or codec."));
}

FindStationsWindow::~FindStationsWindow() = default;

SearchQuery FindStationsWindow::fieldsQuery() const {
    SearchQuery q;
    q.name = txtName->text().trimmed();
    q.tag = txtTag->text().trimmed();
    q.country = txtCountry->text().trimmed();
    q.language = txtLanguage->text().trimmed();
    q.codec = txtCodec->text().trimmed();
    return q;
}

void FindStationsWindow::setStatus(const QString& text) {
    lblStatus->setText(text);
}

void FindStationsWindow::typed() {
    // Each edit restarts the pause, so a word typed quickly is one search.
    typing_->start();
}

void FindStationsWindow::searchNow() {
    typing_->stop();
    search(fieldsQuery());
}

void FindStationsWindow::showNextPage() {
    if (!more_ || searching_)
        return;
    SearchQuery q = shown_;
    q.offset += kPageSize;
    search(q);
}

void FindStationsWindow::showPreviousPage() {
    if (shown_.offset <= 0 || searching_)
        return;
    SearchQuery q = shown_;
    q.offset = std::max(0, q.offset - kPageSize);
    search(q);
}

void FindStationsWindow::search(const SearchQuery& query) {
    if (query.isEmpty()) {
        if (client_)
            client_->cancel();
        searching_ = false;
        stations_.clear();
        lstResults->clear();
        more_ = false;
        shown_ = query;
        cmdPrevious->setEnabled(false);
        cmdNext->setEnabled(false);
        selectionChanged();
        setStatus(tr("Type a station name, or a tag, country, language or codec."));
        return;
    }
    if (!clientTried_) {
        clientTried_ = true;
        if (hooks_.makeClient)
            client_ = hooks_.makeClient(&clientError_);
        if (!client_ && clientError_.isEmpty())
            clientError_ = tr("no directory client");
    }
    if (!client_) {
        setStatus(tr("The station directory cannot be used: %1").arg(clientError_));
        return;
    }
    searching_ = true;
    cmdPrevious->setEnabled(false);
    cmdNext->setEnabled(false);
    setStatus(tr("Searching…"));
    // The window may close or search again before the answer; the client never calls
    // back for an abandoned search, and drops every callback when it is destroyed.
    client_->search(query,
                    [this, query](const SearchAnswer& answer) { showAnswer(query, answer); });
}

void FindStationsWindow::showAnswer(const SearchQuery& query, const SearchAnswer& answer) {
    searching_ = false;
    if (!answer.error.isEmpty()) {
        setStatus(answer.error);
        cmdPrevious->setEnabled(shown_.offset > 0 && !stations_.isEmpty());
        cmdNext->setEnabled(more_);
        return;
    }
    shown_ = query;
    more_ = answer.more;
    stations_ = answer.stations;

    lstResults->setUpdatesEnabled(false);
    lstResults->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(stations_.size());
    for (const Station& s : stations_) {
        auto* item = new QTreeWidgetItem;
        item->setText(cName, s.name.isEmpty() ? tr("(no name)") : s.name);
        item->setText(cCountry, s.country);
        item->setText(cCodec, codecText(s));
        item->setText(cTags, s.tags);
        item->setText(cVotes, QString::number(s.votes));
        item->setTextAlignment(cVotes, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(cName, plainToolTip(s.playable() ? s.name + QLatin1Char('\n') + s.address
                                                          : s.name + QLatin1Char('\n') +
                                                                tr("(no usable stream address)")));
        item->setToolTip(cTags, plainToolTip(s.tags));
        if (!s.playable())
            item->setForeground(cName, palette().brush(QPalette::Disabled, QPalette::Text));
        items << item;
    }
    lstResults->addTopLevelItems(items);
    lstResults->setUpdatesEnabled(true);

    cmdPrevious->setEnabled(shown_.offset > 0);
    cmdNext->setEnabled(more_);
    if (stations_.isEmpty())
        setStatus(shown_.offset > 0 ? tr("No more stations.") : tr("No stations found."));
    else
        setStatus(tr("Stations %1 to %2%3, most popular first.")
                      .arg(shown_.offset + 1)
                      .arg(shown_.offset + stations_.size())
                      .arg(more_ ? tr(" (more with \"Next 100\")") : QString()));
    selectionChanged();
}

const Station* FindStationsWindow::selected() const {
    const QList<QTreeWidgetItem*> items = lstResults->selectedItems();
    if (items.isEmpty())
        return nullptr;
    const int row = lstResults->indexOfTopLevelItem(items.first());
    return row >= 0 && row < stations_.size() ? &stations_[row] : nullptr;
}

void FindStationsWindow::selectionChanged() {
    const Station* s = selected();
    const bool usable = s != nullptr && s->playable();
    cmdPlay->setEnabled(usable);
    cmdPutInSlot->setEnabled(usable);
    if (s != nullptr && !usable)
        setStatus(tr("This station has no usable stream address, so it cannot be played or "
                     "put in a slot."));
}

void FindStationsWindow::playSelected() {
    const Station* s = selected();
    if (s == nullptr || !s->playable())
        return;
    if (hooks_.play)
        hooks_.play(s->address);
    if (client_ && !s->uuid.isEmpty())
        client_->countClick(s->uuid);
    setStatus(tr("Playing \"%1\".").arg(s->name));
}

void FindStationsWindow::putSelectedInSlot(int slot) {
    const Station* s = selected();
    if (s == nullptr || !s->playable() || slot < 0 || !hooks_.putInSlot)
        return;
    // The favourites file has no escape for a double quote, so a name keeps none.
    hooks_.putInSlot(slot, QString(s->name).replace(QLatin1Char('"'), QLatin1Char('\'')),
                     s->address);
    setStatus(tr("\"%1\" is in slot %2 of the favourites editor; \"Save List\" keeps it.")
                  .arg(s->name)
                  .arg(slot + 1));
}

void FindStationsWindow::fillSlotMenu() {
    mnuSlots->clear();
    const QStringList names = hooks_.slotNames ? hooks_.slotNames() : QStringList();
    for (int i = 0; i < 10; ++i) {
        const QString name = names.value(i);
        QAction* a = mnuSlots->addAction(menuText(QStringLiteral("%1: %2").arg(i + 1).arg(
            name.isEmpty() ? tr("(empty)") : name.left(60))));
        connect(a, &QAction::triggered, this, [this, i] { putSelectedInSlot(i); });
    }
}

} // namespace directory
