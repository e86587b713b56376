#pragma once

// A directory client that answers from memory, for tests of what the program does with
// answers rather than how it fetches them.
#include "directory/directory_client.h"

#include <QStringList>

namespace fakes {

class FakeDirectoryClient final : public directory::DirectoryClient {
public:
    struct Log {
        QList<directory::SearchQuery> searches;
        QStringList clicks;
        int cancels = 0;
    };
    FakeDirectoryClient(Log& log, directory::SearchAnswer answer)
        : log_(log), answer_(std::move(answer)) {}

    void search(const directory::SearchQuery& query, Done done) override {
        log_.searches << query;
        done(answer_);
    }
    void cancel() override { ++log_.cancels; }
    void countClick(const QString& uuid) override { log_.clicks << uuid; }

private:
    Log& log_;
    directory::SearchAnswer answer_;
};

inline directory::Station station(const QString& name, const QString& address,
                                  const QString& uuid = QStringLiteral("1234-abcd")) {
    directory::Station s;
    s.uuid = uuid;
    s.name = name;
    s.address = address;
    s.country = QStringLiteral("Germany");
    s.codec = QStringLiteral("MP3");
    s.bitrate = 128;
    s.votes = 10;
    return s;
}

} // namespace fakes
