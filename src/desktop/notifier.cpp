#include "desktop/notifier.h"

#include "common/application_id.h"
#include "desktop/now_playing.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace desktop {

Notifier::Notifier(NowPlaying& model, QDBusConnection connection, QString iconUrl, QObject* parent)
    : QObject(parent), model_(model), connection_(std::move(connection)),
      iconUrl_(std::move(iconUrl)) {
    connect(&model_, &NowPlaying::titleChanged, this, &Notifier::onTitleChanged);
}

QString Notifier::bodyFor(const QString& station) {
    return station.toHtmlEscaped();
}

void Notifier::onTitleChanged(const QString& title, const QString& station) {
    if (!enabled_ || !model_.hiddenInTray() || !connection_.isConnected())
        return;
    if (waiting_) {
        queued_ = true;
        queuedTitle_ = title;
        queuedStation_ = station;
        return;
    }
    send(title, station);
}

void Notifier::send(const QString& title, const QString& station) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QString::fromLatin1(common::kApplicationId));
    hints.insert(QStringLiteral("category"), QStringLiteral("x-korvant.now-playing"));
    hints.insert(QStringLiteral("transient"), true);
    // The summary is plain text by definition; only the body may be read as markup.
    call << QString::fromLatin1(common::kApplicationName) << lastId_ << iconUrl_ << title
         << bodyFor(station) << QStringList() << hints << -1;
    waiting_ = true;
    auto* watcher = new QDBusPendingCallWatcher(connection_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        if (!reply.isError())
            lastId_ = reply.value();
        waiting_ = false;
        if (queued_) {
            queued_ = false;
            if (enabled_ && model_.hiddenInTray())
                send(queuedTitle_, queuedStation_);
        }
    });
}

} // namespace desktop
