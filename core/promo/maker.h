// The maker's addresses: the web site, its pages, the mail address, the messenger number and the
// promoted navigation portal. The project has no site of its own yet, so every address stays
// under the reserved example domains, never a real third party's host.
#pragma once

#include <string>
#include <string_view>

namespace tovrin::maker {

// The home page, the root of the maker's site; the pages below hang off it.
inline constexpr std::string_view kHomePage = "http://www.tovrin.example";
inline constexpr std::string_view kHomePageCaption = "www.tovrin.example";

// Pages on the site, as path and query. The two articles are linked from the About box; the
// search page (the character is appended as it is) and the third article from the lookup window.
inline constexpr std::string_view kRadicalVersesPath = "/wbwz/news.asp?id=42";
inline constexpr std::string_view kKeyExamplesPath = "/wbwz/news.asp?id=34";
inline constexpr std::string_view kLookupArticlePath = "/wbwz/news.asp?id=40";
inline constexpr std::string_view kSearchPath = "/wbcx/search.asp?page=1&type=title&searchtxt=";
inline constexpr std::string_view kDownloadPath = "/down.htm";

inline constexpr std::string_view kMail = "contact@tovrin.example";
// A placeholder until the project has an account of its own: no real account's number.
inline constexpr std::string_view kMessengerNumber = "00000000";

// The promoted navigation portal: its root page with the query "542", and its host, which names
// the launchers and ends the promotion's first line.
inline constexpr std::string_view kPortal = "http://nav.tovrin.example/?542";
inline constexpr std::string_view kPortalHost = "nav.tovrin.example";

// A page of the maker's site by its path and query.
inline std::string onSite(std::string_view pathAndQuery) {
    return std::string(kHomePage) + std::string(pathAndQuery);
}

inline std::string mailLink() {
    return "mailto:" + std::string(kMail);
}

} // namespace tovrin::maker
