#pragma once

#include "GradeStore.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

// The fields of a query string or of a posted form, decoded.
using FormFields = std::multimap<std::string, std::string>;

// What the site answers to one request, apart from the HTTP layer: a body made here, or a
// file to be sent as it lies, or a redirect.
struct SiteAnswer {
    int Status = 200;
    std::string ContentType;
    std::string Body;
    std::filesystem::path File; // sent instead of Body when set
    std::uintmax_t FileSize = 0;
    std::string Location; // target of a redirect
};

// Upper bound of a posted feedback form, and of any request body the service reads; the
// HTTP library refuses url-encoded bodies above it by itself.
inline constexpr size_t kMaxFormBody = 8 * 1024;
// Pages are filled in memory and bounded; other files are sent in pieces, up to this size.
inline constexpr std::uintmax_t kMaxPageBytes = 1024 * 1024;
inline constexpr std::uintmax_t kMaxFileBytes = 512ull * 1024 * 1024;
// Versions shown on the download page.
inline constexpr int kShownVersions = 10;

// The program's web site: static files below one folder, never outside it, with pages that
// show the notice, the newest version, the versions, the packages and grade queries from
// the store, and the feedback form whose posts go into the store.
class Site {
public:
    Site(std::filesystem::path root, GradeStore& store);

    SiteAnswer Get(std::string_view path, const FormFields& query);
    // A post of the feedback form, from the address `sender`.
    SiteAnswer PostFeedback(std::string_view contentType, const FormFields& form,
                            const std::string& sender);

private:
    std::string FillPage(std::string page, const FormFields& query);
    std::string Placeholder(std::string_view name, const FormFields& query);
    std::string VersionsList();
    std::string PackagesList();
    std::string GradeRows(const FormFields& query);

    std::filesystem::path Root;
    GradeStore& Store;
};

// The text with & < > " ' written as character references, safe inside HTML text and
// quoted attributes.
std::string EscapeHtml(std::string_view text);

// A page of the site's look made in code: title, and a body that is already HTML.
std::string MakePage(std::string_view title, std::string_view bodyHtml);

// The content type for a file name, by its extension; texts carry charset=utf-8.
std::string ContentTypeOf(const std::filesystem::path& file);

// The file a request path names below `root`, or an empty path when it names nothing that
// may be served: a path with "." or ".." segments, hidden names, back slashes or control bytes,
// anything that leads outside the root through a link, anything but a regular file. A
// folder stands for its index.html; `isFolder` tells when the path named a folder without
// its final slash.
std::filesystem::path ResolveSitePath(const std::filesystem::path& root, std::string_view path,
                                      bool& isFolder);

// The folder `site` beside the executable, or share/veltrano/site of the prefix it is
// installed in; an empty path when neither exists.
std::filesystem::path DefaultSiteFolder();
