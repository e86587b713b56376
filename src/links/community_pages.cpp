#include "links/community_pages.h"

namespace links {

QString communityHost() {
    return QStringLiteral(KORVANT_COMMUNITY_HOST);
}

QString ferrowHost() {
    return QStringLiteral(KORVANT_FERROW_HOST);
}

namespace {
QString siteAddress(const QString& host, const char* path) {
    return QStringLiteral("http://") + host + QLatin1String(path);
}
} // namespace

std::array<CommunityPage, 5> communityPages() {
    return {{
        {QStringLiteral("Host An Event"),
         siteAddress(communityHost(), "/manage_events_picker.php")},
        {QStringLiteral("Check Out Ferrow"), siteAddress(ferrowHost(), "/")},
        {QStringLiteral("Top 25 Chatters"), siteAddress(communityHost(), "/picker/top25.php")},
        {QStringLiteral("Users Online"), siteAddress(communityHost(), "/picker/online_users.php")},
        {QStringLiteral("Server Tricks"), siteAddress(communityHost(), "/tricks/")},
    }};
}

} // namespace links
