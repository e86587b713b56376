#pragma once

#include <QString>
#include <array>

namespace links {

// Host names of the two sites, fixed when the program is built (test builds point them
// at loopback).
QString communityHost();
QString ferrowHost();

// A fixed page of the links window's page list.
struct CommunityPage {
    QString text;
    QString address;
};

// The fixed pages, in list order; the first is the one every load of the window requests.
std::array<CommunityPage, 5> communityPages();

} // namespace links
