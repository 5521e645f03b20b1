#include "Site.h"

#include "Log.h"
#include "Procedures.h"
#include "StoreLimits.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr std::string_view kPackageSuffixes[] = {".tar.gz", ".tar.xz", ".zip",
                                                 ".deb",    ".rpm",    ".AppImage"};

SiteAnswer Answer(int status, std::string contentType, std::string body = {}) {
    SiteAnswer answer;
    answer.Status = status;
    answer.ContentType = std::move(contentType);
    answer.Body = std::move(body);
    return answer;
}

SiteAnswer PageAnswer(int status, std::string_view title, std::string_view bodyHtml) {
    if (status >= 400)
        NoteRequestFailure(std::string(title));
    return Answer(status, kHtml, MakePage(title, bodyHtml));
}

SiteAnswer NotFound() {
    return PageAnswer(404, "页面不存在",
                      "<p>您要找的页面不存在。</p><p><a href=\"/\">返回首页</a></p>");
}

std::string FirstField(const FormFields& fields, const std::string& name) {
    const auto found = fields.find(name);
    return found == fields.end() ? std::string() : found->second;
}

// Browsers send line breaks of a text area as CR LF; the store keeps LF alone.
std::string WithUnixLineBreaks(std::string_view text) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            plain += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

bool IsPackageName(const std::string& name) {
    if (name.empty() || name.front() == '.')
        return false;
    for (unsigned char c : name)
        if (!std::isalnum(c) && c != '.' && c != '_' && c != '-' && c != '+')
            return false;
    return std::any_of(std::begin(kPackageSuffixes), std::end(kPackageSuffixes),
                       [&name](std::string_view suffix) { return name.ends_with(suffix); });
}

std::string Megabytes(std::uintmax_t bytes) {
    std::ostringstream text;
    text.precision(1);
    text << std::fixed << double(bytes) / (1024.0 * 1024.0) << " MB";
    return text.str();
}

std::string CellText(const protocol::Value& value) {
    if (const auto* number = std::get_if<long long>(&value))
        return std::to_string(*number);
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    return {};
}

// "2026-12-09T05:51:37Z" as "2026-12-09 05:51:37 UTC".
std::string ShownTime(const std::string& iso) {
    if (iso.size() < 19)
        return iso;
    return iso.substr(0, 10) + " " + iso.substr(11, 8) + " UTC";
}

std::string ShownUseTime(long long seconds) {
    return std::to_string(seconds / 60) + "分" + std::to_string(seconds % 60) + "秒";
}

// The minimum mark of a grade query: 90, the pass mark, when none is given; -1, which the
// checks refuse, when the text is no number.
long long MinimumMark(const FormFields& query) {
    const std::string text = FirstField(query, "min");
    if (text.empty())
        return 90;
    if (text.size() > 4 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return -1;
    return std::stoll(text);
}

} // namespace

Site::Site(fs::path root, GradeStore& store) : Root(std::move(root)), Store(store) {}

SiteAnswer Site::Get(std::string_view path, const FormFields& query) {
    bool isFolder = false;
    const fs::path file = ResolveSitePath(Root, path, isFolder);
    if (file.empty())
        return NotFound();
    if (isFolder) {
        SiteAnswer redirect = Answer(301, kHtml, MakePage("页面已移动", ""));
        redirect.Location = std::string(path) + "/";
        return redirect;
    }
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file, error);
    const bool page = file.extension() == ".html";
    if (error || size > (page ? kMaxPageBytes : kMaxFileBytes)) {
        NoteRequestFailure("file too large to serve");
        return NotFound();
    }
    if (!page) {
        SiteAnswer answer = Answer(200, ContentTypeOf(file));
        answer.File = file;
        answer.FileSize = size;
        return answer;
    }
    std::ifstream in(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof())
        return NotFound();
    return Answer(200, kHtml, FillPage(std::move(text), query));
}

SiteAnswer Site::PostFeedback(std::string_view contentType, const FormFields& form,
                              const std::string& sender) {
    if (!contentType.starts_with("application/x-www-form-urlencoded"))
        return PageAnswer(415, "无法接收留言",
                          "<p>留言请通过<a href=\"/tellme/\">意见反馈</a>页面的表单提交。</p>");
    Feedback feedback{TrimBlanks(FirstField(form, "contact")),
                      TrimBlanks(WithUnixLineBreaks(FirstField(form, "message"))), sender};
    const std::string back = "<p><a href=\"/tellme/\">返回意见反馈</a></p>";
    if (feedback.Message.empty())
        return PageAnswer(400, "留言为空", "<p>请填写留言内容后再提交。</p>" + back);
    if (CharacterCount(feedback.Message) > kFeedbackMessageChars.High ||
        CharacterCount(feedback.Contact) > kFeedbackContactChars.High)
        return PageAnswer(413, "留言太长",
                          "<p>留言最多 " + std::to_string(kFeedbackMessageChars.High) +
                              " 个字，联系方式最多 " + std::to_string(kFeedbackContactChars.High) +
                              " 个字。</p>" + back);
    if (!CheckText("contact", feedback.Contact, kFeedbackContactChars).empty() ||
        !CheckText("message", feedback.Message, kFeedbackMessageChars, true).empty())
        return PageAnswer(400, "留言无法保存",
                          "<p>留言中含有无法保存的字符（控制字符或错误的编码）。</p>" + back);
    try {
        Store.AddFeedback(feedback);
    } catch (const StoreError& failure) {
        const SiteAnswer answer =
            PageAnswer(503, "留言未能保存", "<p>暂时无法保存您的留言，请稍后再试。</p>" + back);
        NoteRequestFailure(std::string("store error: ") + failure.what());
        return answer;
    }
    return PageAnswer(200, "谢谢您的反馈",
                      "<p>我们已收到您的留言：</p><blockquote class=\"message\">" +
                          EscapeHtml(feedback.Message) + "</blockquote>" +
                          "<p><a href=\"/\">返回首页</a></p>");
}

// Fills every {{name}} of a page; an unknown name is left as it is.
std::string Site::FillPage(std::string page, const FormFields& query) {
    std::string filled;
    size_t at = 0;
    for (size_t open; (open = page.find("{{", at)) != std::string::npos;) {
        const size_t close = page.find("}}", open + 2);
        if (close == std::string::npos)
            break;
        filled.append(page, at, open - at);
        filled += Placeholder(page.substr(open + 2, close - open - 2), query);
        at = close + 2;
    }
    filled.append(page, at);
    return filled;
}

std::string Site::Placeholder(std::string_view name, const FormFields& query) {
    try {
        if (name == "notice")
            return EscapeHtml(Store.Notice());
        if (name == "version") {
            const auto result = Store.SelectExeVersion();
            return result.Rows.empty() ? "暂无" : EscapeHtml(CellText(result.Rows[0][0]));
        }
        if (name == "versions")
            return VersionsList();
        if (name == "grades")
            return GradeRows(query);
    } catch (const StoreError& failure) {
        NoteRequestFailure(std::string("store error: ") + failure.what());
        return "<span class=\"unavailable\">暂时无法读取</span>";
    }
    if (name == "packages")
        return PackagesList();
    if (name == "message-chars")
        return std::to_string(kFeedbackMessageChars.High);
    if (name == "contact-chars")
        return std::to_string(kFeedbackContactChars.High);
    if (name == "id")
        return EscapeHtml(FirstField(query, "id"));
    if (name == "min")
        return std::to_string(std::max(MinimumMark(query), protocol::kMark.Low));
    return "{{" + std::string(name) + "}}";
}

std::string Site::VersionsList() {
    const auto result = Store.ListVersions(kShownVersions);
    if (result.Rows.empty())
        return "<p>暂无版本信息。</p>";
    std::string list = "<ul class=\"versions\">";
    for (const auto& row : result.Rows)
        list += "<li><strong>" + EscapeHtml(CellText(row[0])) + "</strong> <span>" +
                EscapeHtml(CellText(row[1]).substr(0, 10)) + "</span></li>";
    return list + "</ul>";
}

std::string Site::PackagesList() {
    std::vector<std::pair<std::string, std::uintmax_t>> packages;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(Root / "download", error)) {
        const std::string name = entry.path().filename().string();
        std::error_code sizeError;
        if (!entry.is_symlink() && entry.is_regular_file() && IsPackageName(name))
            packages.emplace_back(name, entry.file_size(sizeError));
    }
    if (packages.empty())
        return "<p>暂无安装包可供下载。</p>";
    std::sort(packages.rbegin(), packages.rend());
    std::string list = "<ul class=\"packages\">";
    for (const auto& [name, size] : packages)
        list += "<li><a href=\"/download/" + EscapeHtml(name) + "\">" + EscapeHtml(name) +
                "</a> <span>" + Megabytes(size) + "</span></li>";
    return list + "</ul>";
}

std::string Site::GradeRows(const FormFields& query) {
    const std::string id = TrimBlanks(FirstField(query, "id"));
    if (id.empty())
        return {};
    const protocol::SelectGrade selection{id, MinimumMark(query)};
    if (!CheckArguments(selection).empty())
        return "<p class=\"error\">请输入 " + std::to_string(protocol::kEmpIdChars.High) +
               " 个字以内的身份证号，最低分数在 " + std::to_string(protocol::kMark.Low) + " 到 " +
               std::to_string(protocol::kMark.High) + " 之间。</p>";
    const auto result = Store.SelectGrade(selection);
    if (result.Rows.empty())
        return "<p>没有找到符合条件的成绩。</p>";
    std::string table = "<table class=\"grades\"><tr><th>身份证号</th><th>姓名</th><th>用时</th>"
                        "<th>交卷时间</th><th>成绩</th></tr>";
    for (const auto& row : result.Rows) {
        const auto* useTime = std::get_if<long long>(&row[2]);
        table += "<tr><td>" + EscapeHtml(CellText(row[0])) + "</td><td>" +
                 EscapeHtml(CellText(row[1])) + "</td><td>" +
                 (useTime ? ShownUseTime(*useTime) : std::string()) + "</td><td>" +
                 EscapeHtml(ShownTime(CellText(row[3]))) + "</td><td>" +
                 EscapeHtml(CellText(row[4])) + "</td></tr>";
    }
    return table + "</table>";
}

std::string EscapeHtml(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string MakePage(std::string_view title, std::string_view bodyHtml) {
    return "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width\"><title>" +
           EscapeHtml(title) +
           " - Veltrano助手</title><link rel=\"stylesheet\" href=\"/style.css\"></head>\n"
           "<body class=\"site\"><header class=\"bar\"><a href=\"/\">Veltrano助手</a></header>\n"
           "<main><h1>" +
           EscapeHtml(title) + "</h1>\n" + std::string(bodyHtml) + "\n</main></body></html>\n";
}

std::string ContentTypeOf(const fs::path& file) {
    static const std::pair<std::string_view, std::string_view> kTypes[] = {
        {".html", "text/html; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"},
        {".txt", "text/plain; charset=utf-8"},
        {".json", "application/json; charset=utf-8"},
        {".svg", "image/svg+xml"},
        {".png", "image/png"},
        {".jpg", "image/jpeg"},
        {".jpeg", "image/jpeg"},
        {".gif", "image/gif"},
        {".ico", "image/x-icon"},
        {".woff2", "font/woff2"},
        {".gz", "application/gzip"},
        {".xz", "application/x-xz"},
        {".zip", "application/zip"},
        {".deb", "application/vnd.debian.binary-package"},
    };
    const std::string extension = file.extension().string();
    for (const auto& [known, type] : kTypes)
        if (known == extension)
            return std::string(type);
    return "application/octet-stream";
}

fs::path ResolveSitePath(const fs::path& root, std::string_view path, bool& isFolder) {
    isFolder = false;
    const auto unsafe = [](unsigned char c) { return c < 0x20 || c == 0x7F || c == '\\'; };
    if (!path.starts_with('/') || std::any_of(path.begin(), path.end(), unsafe))
        return {};
    fs::path candidate = root;
    std::string_view rest = path.substr(1);
    while (!rest.empty()) {
        const size_t slash = rest.find('/');
        const std::string_view segment = rest.substr(0, slash);
        if (segment.empty() || segment.front() == '.')
            return {};
        candidate /= std::string(segment);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
    std::error_code error;
    if (fs::is_directory(candidate, error)) {
        isFolder = !path.ends_with('/');
        if (!isFolder)
            candidate /= "index.html";
    }
    const fs::path real = fs::canonical(candidate, error);
    if (error)
        return {};
    const fs::path realRoot = fs::canonical(root, error);
    if (error)
        return {};
    const fs::path inside = real.lexically_relative(realRoot);
    if (inside.empty() || *inside.begin() == "..")
        return {};
    if (!isFolder && !fs::is_regular_file(real, error))
        return {};
    return real;
}

fs::path DefaultSiteFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    const fs::path folder = program.parent_path();
    for (const fs::path& candidate :
         {folder / "site", folder / ".." / "share" / "veltrano" / "site"})
        if (fs::is_directory(candidate, error))
            return candidate.lexically_normal();
    return {};
}
