#include "BrowserCookies.h"

#include "Aes128Cbc.h"
#include "CookieJar.h"
#include "CurlSetup.h"
#include "FileTools.h"
#include "LazyLibrary.h"

#include <nettle/pbkdf2.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct Cookie
{
    std::string host;
    std::string path;
    bool secure = false;
    int64_t expiry = 0; // seconds since 1970; 0 for a session cookie
    std::string name;
    std::string value;
};

bool isFile(const std::string &path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string home()
{
    const char *h = getenv("HOME");
    return h ? h : "";
}

// Browser cookie stores are a few MiB; anything past this cap is not a cookie store.
constexpr size_t kMaxStoreBytes = 256u << 20;

bool copyFile(const std::string &from, const std::string &to)
{
    std::string data;
    if (!FileTools::readRegularFile(from, kMaxStoreBytes, data))
        return false;
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    return static_cast<bool>(out);
}

// A private copy of a database (and its WAL) in a fresh temporary folder.
class DatabaseCopy
{
public:
    explicit DatabaseCopy(const std::string &source)
    {
        char tmpl[] = "/tmp/corvidash-cookies-XXXXXX";
        if (!mkdtemp(tmpl))
            return;
        m_dir = tmpl;
        m_path = m_dir + "/cookies.db";
        if (!copyFile(source, m_path))
            m_path.clear();
        else if (isFile(source + "-wal"))
            copyFile(source + "-wal", m_path + "-wal");
    }
    ~DatabaseCopy()
    {
        if (m_dir.empty())
            return;
        ::unlink((m_dir + "/cookies.db").c_str());
        ::unlink((m_dir + "/cookies.db-wal").c_str());
        ::unlink((m_dir + "/cookies.db-shm").c_str());
        ::rmdir(m_dir.c_str());
    }
    const std::string &path() const { return m_path; }

private:
    std::string m_dir;
    std::string m_path;
};

bool domainMatches(const std::string &host, std::string cookieHost)
{
    if (cookieHost.empty())
        return false;
    std::transform(cookieHost.begin(), cookieHost.end(), cookieHost.begin(), [](unsigned char c) { return std::tolower(c); });
    if (cookieHost[0] == '.') {
        const std::string bare = cookieHost.substr(1);
        return host == bare || (host.size() > cookieHost.size() &&
                                host.compare(host.size() - cookieHost.size(), cookieHost.size(), cookieHost) == 0);
    }
    return host == cookieHost;
}

bool pathMatches(const std::string &requestPath, const std::string &cookiePath)
{
    if (cookiePath.empty() || cookiePath == "/")
        return true;
    if (requestPath.compare(0, cookiePath.size(), cookiePath) != 0)
        return false;
    return requestPath.size() == cookiePath.size() || cookiePath.back() == '/' || requestPath[cookiePath.size()] == '/';
}

// The page's cookies as jar lines that keep each cookie's scope; the engine sends each only
// where its domain, path and secure flag allow, on every request and redirect.
std::string join(const std::vector<Cookie> &cookies, const std::string &url)
{
    const std::string host = CurlSetup::host(url);
    std::string path = "/";
    {
        CURLU *u = curl_url();
        char *p = nullptr;
        if (u && curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
            curl_url_get(u, CURLUPART_PATH, &p, 0) == CURLUE_OK && p) {
            path = p;
            curl_free(p);
        }
        curl_url_cleanup(u);
    }
    const bool https = url.rfind("https:", 0) == 0;
    std::string out;
    for (const auto &c : cookies) {
        if (!domainMatches(host, c.host) || !pathMatches(path, c.path) || (c.secure && !https))
            continue;
        std::string domain = c.host;
        std::transform(domain.begin(), domain.end(), domain.begin(), [](unsigned char ch) { return std::tolower(ch); });
        out += CookieJar::line(domain, c.path, c.secure, c.expiry, c.name, c.value);
    }
    return out;
}

// The SQLite functions the cookie readers use, from the library opened at the first store read.
// clang-format off
#define CORVIDASH_SQLITE_FUNCTIONS(F) \
    F(open_v2) F(close) F(prepare_v2) F(step) F(finalize) \
    F(column_blob) F(column_bytes) F(column_int) F(column_int64) F(errmsg)
// clang-format on

struct Sqlite
{
#define CORVIDASH_SQLITE_MEMBER(name) decltype(&sqlite3_##name) name = nullptr;
    CORVIDASH_SQLITE_FUNCTIONS(CORVIDASH_SQLITE_MEMBER)
#undef CORVIDASH_SQLITE_MEMBER
    std::string error;
};

// nullptr when SQLite is missing; the reason is then in *why.
const Sqlite *sqlite(std::string *why)
{
    static LazyLibrary library("libsqlite3.so.0");
    static const Sqlite functions = [] {
        Sqlite q;
        bool all = true;
#define CORVIDASH_SQLITE_BIND(name)                                \
    q.name = library.function<decltype(q.name)>("sqlite3_" #name); \
    all = all && q.name;
        CORVIDASH_SQLITE_FUNCTIONS(CORVIDASH_SQLITE_BIND)
#undef CORVIDASH_SQLITE_BIND
        if (!all)
            q.error = library.error().empty() ? "libsqlite3.so.0 lacks a function" : library.error();
        return q;
    }();
    if (!functions.error.empty()) {
        *why = "fennix_exception: cannot read cookie stores without SQLite: " + functions.error;
        return nullptr;
    }
    return &functions;
}

std::string column(const Sqlite &q, sqlite3_stmt *st, int i)
{
    const auto *text = reinterpret_cast<const char *>(q.column_blob(st, i));
    return text ? std::string(text, static_cast<size_t>(q.column_bytes(st, i))) : std::string();
}

std::string firefoxProfile()
{
    const std::string root = home() + "/.mozilla/firefox";
    std::string text;
    if (!FileTools::readRegularFile(root + "/profiles.ini", 1u << 20, text))
        return {};
    std::istringstream ini(text);
    std::string line, section, path, installDefault, firstPath, defaultPath;
    bool relative = true, isDefault = false;
    auto flush = [&] {
        if (section.rfind("[Profile", 0) == 0 && !path.empty()) {
            const std::string full = relative ? root + "/" + path : path;
            if (firstPath.empty())
                firstPath = full;
            if (isDefault)
                defaultPath = full;
        }
        path.clear();
        relative = true;
        isDefault = false;
    };
    while (std::getline(ini, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '[') {
            flush();
            section = line;
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (section.rfind("[Install", 0) == 0 && key == "Default")
            installDefault = root + "/" + value;
        else if (key == "Path")
            path = value;
        else if (key == "IsRelative")
            relative = value != "0";
        else if (key == "Default")
            isDefault = value == "1";
    }
    flush();
    if (!installDefault.empty() && isFile(installDefault + "/cookies.sqlite"))
        return installDefault;
    if (!defaultPath.empty())
        return defaultPath;
    return firstPath;
}

std::string firefox(const std::string &url)
{
    const std::string profile = firefoxProfile();
    if (profile.empty() || !isFile(profile + "/cookies.sqlite"))
        return {};
    DatabaseCopy copy(profile + "/cookies.sqlite");
    if (copy.path().empty())
        return "fennix_exception: cannot copy the Firefox cookie store";
    std::string missing;
    const Sqlite *q = sqlite(&missing);
    if (!q)
        return missing;
    sqlite3 *db = nullptr;
    if (q->open_v2(copy.path().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        q->close(db);
        return "fennix_exception: cannot open the Firefox cookie store";
    }
    sqlite3_stmt *st = nullptr;
    std::vector<Cookie> cookies;
    const long long now = time(nullptr);
    std::string error;
    if (q->prepare_v2(db, "SELECT host, path, isSecure, expiry, name, value FROM moz_cookies", -1, &st, nullptr) == SQLITE_OK) {
        while (q->step(st) == SQLITE_ROW && cookies.size() < 100000) {
            long long expiry = q->column_int64(st, 3);
            if (expiry > 100000000000LL)
                expiry /= 1000; // newer profiles store milliseconds
            if (expiry != 0 && expiry < now)
                continue;
            cookies.push_back({column(*q, st, 0), column(*q, st, 1), q->column_int(st, 2) != 0, expiry, column(*q, st, 4), column(*q, st, 5)});
        }
    } else {
        error = std::string("fennix_exception: ") + q->errmsg(db);
    }
    q->finalize(st);
    q->close(db);
    return error.empty() ? join(cookies, url) : error;
}

std::string chromeValue(const std::string &encrypted, bool hashedHost)
{
    if (encrypted.size() < 3 + 16 || encrypted.compare(0, 3, "v10") != 0)
        return {}; // v11 needs the desktop keyring's secret
    // Chromium on Linux without a keyring: PBKDF2-SHA1("peanuts", "saltysalt", 1), IV of blanks.
    uint8_t key[16];
    pbkdf2_hmac_sha1(7, reinterpret_cast<const uint8_t *>("peanuts"), 1, 9, reinterpret_cast<const uint8_t *>("saltysalt"),
                     16, key);
    uint8_t iv[16];
    std::fill(iv, iv + 16, ' ');
    std::string data = encrypted.substr(3);
    if (!Aes128Cbc::decrypt(key, iv, data, true))
        return {};
    if (hashedHost && data.size() >= 32)
        data.erase(0, 32); // newer databases prefix a SHA-256 of the host
    return data;
}

std::string chrome(const std::string &url)
{
    std::string store;
    for (const char *dir : {"/.config/google-chrome", "/.config/chromium"}) {
        for (const char *file : {"/Default/Network/Cookies", "/Default/Cookies"}) {
            if (store.empty() && isFile(home() + dir + file))
                store = home() + dir + file;
        }
    }
    if (store.empty())
        return {};
    DatabaseCopy copy(store);
    if (copy.path().empty())
        return "fennix_exception: cannot copy the Chrome cookie store";
    std::string missing;
    const Sqlite *q = sqlite(&missing);
    if (!q)
        return missing;
    sqlite3 *db = nullptr;
    if (q->open_v2(copy.path().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        q->close(db);
        return "fennix_exception: cannot open the Chrome cookie store";
    }
    int version = 0;
    sqlite3_stmt *st = nullptr;
    if (q->prepare_v2(db, "SELECT value FROM meta WHERE key='version'", -1, &st, nullptr) == SQLITE_OK && q->step(st) == SQLITE_ROW)
        version = atoi(column(*q, st, 0).c_str());
    q->finalize(st);
    st = nullptr;
    std::vector<Cookie> cookies;
    std::string error;
    // expires_utc: microseconds since 1601-01-01.
    const long long now = (static_cast<long long>(time(nullptr)) + 11644473600LL) * 1000000LL;
    if (q->prepare_v2(db, "SELECT host_key, path, is_secure, expires_utc, name, value, encrypted_value FROM cookies",
                      -1, &st, nullptr)
        == SQLITE_OK) {
        while (q->step(st) == SQLITE_ROW && cookies.size() < 100000) {
            const long long expiry = q->column_int64(st, 3);
            if (expiry != 0 && expiry < now)
                continue;
            std::string value = column(*q, st, 5);
            if (value.empty())
                value = chromeValue(column(*q, st, 6), version >= 24);
            if (value.empty())
                continue;
            const int64_t unix = expiry == 0 ? 0 : expiry / 1000000LL - 11644473600LL;
            cookies.push_back({column(*q, st, 0), column(*q, st, 1), q->column_int(st, 2) != 0, unix > 0 ? unix : 0,
                               column(*q, st, 4), value});
        }
    } else {
        error = std::string("fennix_exception: ") + q->errmsg(db);
    }
    q->finalize(st);
    q->close(db);
    return error.empty() ? join(cookies, url) : error;
}

} // namespace

namespace BrowserCookies {

std::string forUrl(const std::string &browser, const std::string &pageUrl)
{
    if (pageUrl.empty() || !CurlSetup::parses(pageUrl))
        return {};
    std::string name = browser;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    if (name == "firefox")
        return firefox(pageUrl);
    if (name == "chrome" || name == "chromium")
        return chrome(pageUrl);
    return {};
}

} // namespace BrowserCookies
