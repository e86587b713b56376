#include <gio/gio.h>

#include "platform/gst/tls_trust.h"

#include <QFile>

namespace platform {

TlsTrust::~TlsTrust() {
    if (database_ != nullptr)
        g_object_unref(database_);
}

void TlsTrust::trustOnly(const QString& pemFile) {
    certificates_ = QSslCertificate::fromPath(pemFile);
    if (database_ != nullptr)
        g_object_unref(database_);
    database_ = g_tls_file_database_new(QFile::encodeName(pemFile).constData(), nullptr);
    own_ = true;
}

} // namespace platform
