#include "CookieJar.h"

#include "CurlSetup.h"

#include <sstream>
#include <vector>

namespace {

bool printable(const std::string &s)
{
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7f)
            return false;
    return true;
}

std::vector<std::string> fields(const std::string &line)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        out.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return out;
        start = tab + 1;
    }
}

bool isJarLine(const std::string &line)
{
    const auto f = fields(line);
    return f.size() == 7 && !f[0].empty() && (f[1] == "TRUE" || f[1] == "FALSE") && !f[2].empty() &&
           (f[3] == "TRUE" || f[3] == "FALSE") && !f[5].empty();
}

std::string trimmed(const std::string &s)
{
    const size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos)
        return {};
    const size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

} // namespace

namespace CookieJar {

std::string line(const std::string &domain, const std::string &path, bool secure, int64_t expiry,
                 const std::string &name, const std::string &value)
{
    if (domain.empty() || domain == "." || name.empty() || !printable(domain) || !printable(path) || !printable(name) ||
        !printable(value) || name.find_first_of("=;") != std::string::npos || value.find(';') != std::string::npos)
        return {};
    const bool subdomains = domain[0] == '.';
    std::ostringstream out;
    out << domain << '\t' << (subdomains ? "TRUE" : "FALSE") << '\t' << (path.empty() ? "/" : path) << '\t'
        << (secure ? "TRUE" : "FALSE") << '\t' << (expiry > 0 ? expiry : 0) << '\t' << name << '\t' << value << '\n';
    return out.str();
}

std::string scoped(const std::string &text, const std::string &originUrl)
{
    const std::string host = CurlSetup::host(originUrl);
    std::string out;
    std::istringstream in(text);
    std::string raw;
    while (std::getline(in, raw)) {
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        if (isJarLine(raw)) {
            out += raw + '\n';
            continue;
        }
        if (host.empty())
            continue; // a plain cookie with no host to belong to goes nowhere
        std::istringstream pairs(raw);
        std::string pair;
        while (std::getline(pairs, pair, ';')) {
            const std::string p = trimmed(pair);
            const size_t eq = p.find('=');
            if (eq == std::string::npos || eq == 0)
                continue;
            out += line(host, "/", false, 0, trimmed(p.substr(0, eq)), trimmed(p.substr(eq + 1)));
        }
    }
    return out;
}

void install(CURL *easy, const std::string &text)
{
    std::istringstream in(text);
    std::string raw;
    while (std::getline(in, raw))
        if (isJarLine(raw))
            curl_easy_setopt(easy, CURLOPT_COOKIELIST, raw.c_str());
}

} // namespace CookieJar
