#include "desktop/desktop_session.h"

#include "common/application_id.h"
#include "common/program_options.h"
#include "desktop/mpris_service.h"
#include "desktop/notifier.h"

#include <QAction>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QStandardPaths>
#include <QUrl>

namespace desktop {

QString programIconFile(const QString& resource) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                           QLatin1Char('/') + QString::fromLatin1(common::kApplicationId);
    QString path = folder + QStringLiteral("/korvant.png");
    QFile source(resource);
    if (!source.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = source.readAll();
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
        return path;
    existing.close();
    if (!QDir().mkpath(folder))
        return {};
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
        return {};
    return path;
}

DesktopSession::DesktopSession(Setup setup, QObject* parent)
    : QObject(parent), setup_(std::move(setup)),
      notifications_(
          common::readProgramOptions(setup_.dataFolder + QLatin1String(common::kOptionsFileName))
              .notifications) {}

DesktopSession::~DesktopSession() = default;

QAction* DesktopSession::addNotificationsEntry(QMenu* menu, QAction* before) {
    entry_ = new QAction(tr("Now-Playing Notifications"), menu);
    entry_->setObjectName("mnuNotifications");
    entry_->setCheckable(true);
    entry_->setChecked(notifications_);
    menu->insertAction(before, entry_);
    QObject::connect(entry_, &QAction::toggled, this, &DesktopSession::setNotifications);
    return entry_;
}

void DesktopSession::setNotifications(bool on) {
    if (on == notifications_)
        return;
    notifications_ = on;
    if (notifier_)
        notifier_->setEnabled(on);
    const QString why =
        common::saveNotifications(setup_.dataFolder + QLatin1String(common::kOptionsFileName), on);
    // The choice holds for this run either way; the user learns it will not outlast it.
    if (!why.isEmpty() && setup_.reportSaveFailure)
        setup_.reportSaveFailure(QLatin1String(common::kOptionsFileName), why);
}

QString DesktopSession::joinBus() {
    if (model_)
        return {};
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return {};
    const QString icon = programIconFile(setup_.iconResource);
    const QString artUrl = icon.isEmpty() ? QString() : QUrl::fromLocalFile(icon).toString();
    model_ = std::make_unique<NowPlaying>(setup_.player, setup_.hooks, artUrl);
    notifier_ = std::make_unique<Notifier>(*model_, bus, artUrl);
    notifier_->setEnabled(notifications_);
    mpris_ = std::make_unique<MprisService>(*model_, bus);
    return mpris_->publish();
}

} // namespace desktop
