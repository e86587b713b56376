#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace desktop {

class NowPlaying;

// Now-playing notifications through the desktop's notification server
// (org.freedesktop.Notifications): each new title while the window is in the tray replaces
// the notification shown before, so they never pile up. The call is asynchronous; a slow
// or missing server never holds up the program, and a title that arrives while a call is
// still unanswered waits for its id, so it too replaces rather than adds.
class Notifier : public QObject {
    Q_OBJECT
public:
    // iconUrl: a file:// address of the notification's icon, or empty.
    Notifier(NowPlaying& model, QDBusConnection connection, QString iconUrl,
             QObject* parent = nullptr);

    void setEnabled(bool on) { enabled_ = on; }
    bool isEnabled() const { return enabled_; }

    // The body of a notification for a station: servers may read markup in the body, so
    // the name is escaped to show as the plain text it is.
    static QString bodyFor(const QString& station);

private:
    void onTitleChanged(const QString& title, const QString& station);
    void send(const QString& title, const QString& station);

    NowPlaying& model_;
    QDBusConnection connection_;
    QString iconUrl_;
    bool enabled_ = true;
    uint lastId_ = 0;
    bool waiting_ = false; // a Notify call is unanswered
    bool queued_ = false;  // and a newer one waits for its id
    QString queuedTitle_;
    QString queuedStation_;
};

} // namespace desktop
