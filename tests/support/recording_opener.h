#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

namespace fakes {

// Stands in for the desktop's openers (install it with QDesktopServices::setUrlHandler
// and the slot "open"): records what would have been opened.
class RecordingOpener : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

} // namespace fakes
