#include "desktop/mpris_service.h"

#include "common/application_id.h"
#include "desktop/now_playing.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace desktop {

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kBusName = QStringLiteral("org.mpris.MediaPlayer2.KorvantLite");

} // namespace

MprisService::MprisService(NowPlaying& model, QDBusConnection connection, QObject* parent)
    : QObject(parent), model_(model), connection_(std::move(connection)) {
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    connect(&model_, &NowPlaying::propertiesChanged, this, &MprisService::sendPropertiesChanged);
}

MprisService::~MprisService() {
    if (!busName_.isEmpty()) {
        connection_.unregisterService(busName_);
        connection_.unregisterObject(kObjectPath);
    }
}

QString MprisService::publish() {
    if (!connection_.isConnected())
        return {};
    if (!connection_.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors))
        return {};
    // Not queued behind another copy: a second player answers under a name of its own, as
    // the protocol asks.
    for (const QString& name :
         {kBusName,
          kBusName + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid())}) {
        const auto reply = connection_.interface()->registerService(
            name, QDBusConnectionInterface::DontQueueService,
            QDBusConnectionInterface::DontAllowReplacement);
        if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            busName_ = name;
            return name;
        }
    }
    connection_.unregisterObject(kObjectPath);
    return {};
}

void MprisService::sendPropertiesChanged(const QVariantMap& changed) {
    if (busName_.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    connection_.send(signal);
}

MprisRootAdaptor::MprisRootAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(service) {}

QString MprisRootAdaptor::identity() const {
    return QString::fromLatin1(common::kApplicationName);
}

QString MprisRootAdaptor::desktopEntry() const {
    return QString::fromLatin1(common::kApplicationId);
}

// Both act after the call has been answered: the window and the program may be gone by
// the time the reply would otherwise be sent.
void MprisRootAdaptor::Raise() {
    QMetaObject::invokeMethod(
        &service_->model(), [model = &service_->model()] { model->raise(); }, Qt::QueuedConnection);
}

void MprisRootAdaptor::Quit() {
    QMetaObject::invokeMethod(
        &service_->model(), [model = &service_->model()] { model->quit(); }, Qt::QueuedConnection);
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(service) {}

QString MprisPlayerAdaptor::playbackStatus() const {
    return service_->model().playbackStatus();
}

QVariantMap MprisPlayerAdaptor::metadata() const {
    return service_->model().metadata();
}

double MprisPlayerAdaptor::volume() const {
    return service_->model().volume();
}

void MprisPlayerAdaptor::setVolume(double volume) {
    service_->model().setVolume(volume);
}

void MprisPlayerAdaptor::Next() {
    service_->model().next();
}
void MprisPlayerAdaptor::Previous() {
    service_->model().previous();
}
void MprisPlayerAdaptor::Pause() {
    service_->model().pause();
}
void MprisPlayerAdaptor::PlayPause() {
    service_->model().playPause();
}
void MprisPlayerAdaptor::Stop() {
    service_->model().stop();
}
void MprisPlayerAdaptor::Play() {
    service_->model().play();
}

} // namespace desktop
