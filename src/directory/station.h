#pragma once

#include <QList>
#include <QString>
#include <QUrlQuery>

namespace directory {

// One station of the community directory, as this program shows and uses it. Every text
// came from the directory and has been cleaned to plain, bounded text; `address` is empty
// when the station has no usable http(s) stream address.
struct Station {
    QString uuid;
    QString name;
    QString address;
    QString country;
    QString codec;
    int bitrate = 0; // kbit/s, 0 when unknown
    QString tags;    // comma-separated, as the directory keeps them
    int votes = 0;

    bool playable() const { return !address.isEmpty(); }
};

// What the user asked for. Empty fields are left out of the request.
struct SearchQuery {
    QString name;
    QString tag;
    QString country;
    QString language;
    QString codec;
    int offset = 0; // first result wanted, in steps of kPageSize

    bool isEmpty() const {
        return name.isEmpty() && tag.isEmpty() && country.isEmpty() && language.isEmpty() &&
               codec.isEmpty();
    }
};

// The outcome of one search: the stations to show, or why there are none.
struct SearchAnswer {
    QList<Station> stations; // at most kPageSize
    bool more = false;       // the directory has results after these
    QString error;           // empty on success (even with no stations)
};

// Results shown at a time; the request asks for one more to learn whether there are more.
inline constexpr int kPageSize = 100;
// Longest station name kept; longer names are cut and end with an ellipsis.
inline constexpr int kMaxNameLength = 120;
// Longest text kept for the other fields (country, codec, tags).
inline constexpr int kMaxFieldLength = 200;
// Longest stream address accepted.
inline constexpr int kMaxAddressLength = 2048;

// The request's parameters for `query`: the filters, popularity order, hidebroken, limit
// and offset. QUrlQuery encodes them when the address is made.
QUrlQuery searchParameters(const SearchQuery& query);

// Reads a /json/stations/search answer. Records of the wrong type or with fields of the
// wrong type are read as far as they go; a body that is not a JSON array gives no stations
// and the reason in *error. At most kPageSize stations are returned; *more says whether
// the answer held further records.
QList<Station> readStations(const QByteArray& body, bool* more, QString* error);

// Text from the directory made fit to show: runs of white space made one space and
// trimmed, then cleaned as all text from outside is (common::cleanRemoteText) and cut to
// maxLength.
QString cleanRemoteText(const QString& text, int maxLength);

// The address if it is one a player may open (absolute http or https with a host, no
// white space, control characters or double quotes, not too long), else an empty string.
// A double quote could end a field of the favourites file early, so none is let in.
QString usableAddress(const QString& address);

} // namespace directory
