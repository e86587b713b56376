#pragma once

#include <QList>
#include <QSslCertificate>
#include <QString>

struct _GTlsDatabase;

namespace platform {

// Which certificate authorities HTTPS servers are checked against: the system's, or only
// those of one PEM file (for tests against a private server). The stream, the playlist
// reader and the connection probe all trust the same ones.
class TlsTrust {
public:
    TlsTrust() = default;
    TlsTrust(const TlsTrust&) = delete;
    TlsTrust& operator=(const TlsTrust&) = delete;
    ~TlsTrust();

    // Reads the file once, so that everything trusts the same certificates however the
    // file changes later. An unreadable file leaves the stream with no database, and the
    // system's authorities then refuse the server.
    void trustOnly(const QString& pemFile);

    bool ownCertificates() const { return own_; }
    const QList<QSslCertificate>& certificates() const { return certificates_; }
    // For the stream's HTTP source; null means the system's. Lives as long as this object.
    _GTlsDatabase* database() const { return database_; }

private:
    bool own_ = false;
    QList<QSslCertificate> certificates_;
    _GTlsDatabase* database_ = nullptr;
};

} // namespace platform
