#pragma once

#include "directory/station.h"

#include <QString>
#include <functional>
#include <memory>

namespace directory {

// A connection to the community station directory. Calls return at once; answers come
// back through the callback on the caller's thread, from its event loop.
//
// The interface carries no Qt meta-object so that an implementation made inside a
// separately loaded module is driven only through its virtual functions.
class DirectoryClient {
public:
    using Done = std::function<void(const SearchAnswer&)>;

    virtual ~DirectoryClient() = default;

    // Starts a search. A search still in flight is abandoned first: its callback is never
    // called. `done` is called exactly once for this search unless it is abandoned.
    virtual void search(const SearchQuery& query, Done done) = 0;
    // Abandons the search in flight, if any.
    virtual void cancel() = 0;
    // Tells the directory a station was played (its click count); fire and forget.
    virtual void countClick(const QString& stationUuid) = 0;
};

// Makes a directory client; null with the reason in *error when there can be none.
using ClientMaker = std::function<std::unique_ptr<DirectoryClient>(QString* error)>;

} // namespace directory
