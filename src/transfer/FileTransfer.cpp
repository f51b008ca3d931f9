#include "transfer/FileTransfer.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "support/LFile.h"

namespace typix {

namespace {

constexpr long kConnectTimeoutSeconds = 15;
constexpr long kSilenceTimeoutSeconds = 20;

CURL* handleOf(void* curl) { return static_cast<CURL*>(curl); }

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string escaped(CURL* curl, const std::string& text) {
    char* out = curl_easy_escape(curl, text.c_str(), static_cast<int>(text.size()));
    std::string result = out ? out : "";
    curl_free(out);
    return result;
}

size_t appendToString(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

size_t writeToFile(char* data, size_t size, size_t count, void* target) {
    ssize_t written = static_cast<LFile*>(target)->write(data, size * count);
    return written < 0 ? 0 : size * count;
}

size_t readFromFile(char* data, size_t size, size_t count, void* source) {
    ssize_t got = static_cast<LFile*>(source)->read(data, size * count);
    return got < 0 ? CURL_READFUNC_ABORT : static_cast<size_t>(got);
}

int checkStop(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* predicate = static_cast<FileTransfer::StopPredicate*>(stop);
    return (*predicate && (*predicate)()) ? 1 : 0;
}

bool isPlainPort(const std::string& text) {
    if (text.empty() || text.size() > 5) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return std::atoi(text.c_str()) > 0 && std::atoi(text.c_str()) < 65536;
}

}  // namespace

bool parseFtpServer(const std::string& server, std::string& baseUrl, bool& requireTls) {
    std::string rest = server;
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '/')) rest.pop_back();
    while (!rest.empty() && rest.front() == ' ') rest.erase(rest.begin());
    requireTls = false;
    if (rest.rfind("ftps://", 0) == 0) {
        requireTls = true;
        rest = rest.substr(7);
    } else if (rest.rfind("ftp://", 0) == 0) {
        rest = rest.substr(6);
    } else if (rest.find("://") != std::string::npos) {
        return false;
    }
    // Only host[:port] is taken; a path in the URL belongs in "ftpdir".
    rest = rest.substr(0, rest.find('/'));
    std::string host = rest, port = "21";
    size_t colon = rest.rfind(':');
    if (colon != std::string::npos && rest.find(']') == std::string::npos) {
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
    } else if (colon != std::string::npos && rest.back() != ']') {
        host = rest.substr(0, colon);  // "[v6]:port"
        port = rest.substr(colon + 1);
    }
    if (host.empty() || !isPlainPort(port)) return false;
    for (char c : host) {
        if (static_cast<unsigned char>(c) <= ' ' || c == '@' || c == '?' || c == '#') return false;
    }
    baseUrl = "ftp://" + host + ":" + port + "/";
    return true;
}

struct FileTransfer::Request {
    std::string url;
    bool noBody = false;
    bool listOnly = false;
    std::string* listing = nullptr;
    LFile* download = nullptr;
    LFile* upload = nullptr;
    int64_t uploadSize = 0;
    curl_slist* quote = nullptr;
};

FileTransfer::FileTransfer() = default;

FileTransfer::~FileTransfer() { close(); }

bool FileTransfer::open() {
    if (curl_) return true;
    initCurlOnce();
    curl_ = curl_easy_init();
    return curl_ != nullptr;
}

void FileTransfer::close() {
    if (curl_) curl_easy_cleanup(handleOf(curl_));
    curl_ = nullptr;
    baseUrl_.clear();
    directory_.clear();
}

bool FileTransfer::perform(Request& request) {
    CURL* curl = handleOf(curl_);
    // A reset keeps the live connection, so one login serves the whole check.
    curl_easy_reset(curl);
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, kSilenceTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kSilenceTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_USE_SSL, requireTls_ ? CURLUSESSL_ALL : CURLUSESSL_TRY);
    curl_easy_setopt(curl, CURLOPT_FTP_USE_EPSV, 1L);
    curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L);
    if (!user_.empty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user_.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password_.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, checkStop);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &stop_);
    if (request.noBody) curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    if (request.listOnly) curl_easy_setopt(curl, CURLOPT_DIRLISTONLY, 1L);
    if (request.quote) curl_easy_setopt(curl, CURLOPT_POSTQUOTE, request.quote);
    if (request.listing) {
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendToString);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, request.listing);
    } else if (request.download) {
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeToFile);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, request.download);
    }
    if (request.upload) {
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, readFromFile);
        curl_easy_setopt(curl, CURLOPT_READDATA, request.upload);
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(request.uploadSize));
    }
    CURLcode code = curl_easy_perform(curl);
    lastError_ = code == CURLE_OK ? "" : curl_easy_strerror(code);
    return code == CURLE_OK;
}

bool FileTransfer::connect(const std::string& server, const std::string& user,
                           const std::string& password) {
    baseUrl_.clear();
    directory_.clear();
    if (!curl_) return false;
    std::string base;
    bool tls = false;
    if (!parseFtpServer(server, base, tls)) {
        lastError_ = "no usable server name";
        return false;
    }
    requireTls_ = tls;
    user_ = user;
    password_ = password;
    Request login;
    login.url = base;
    login.noBody = true;
    if (!perform(login)) return false;
    baseUrl_ = base;
    return true;
}

std::string FileTransfer::directoryUrl() const { return baseUrl_ + directory_; }

std::string FileTransfer::fileUrl(const std::string& name) const {
    // Escaping the whole name keeps a '/' in it from naming another folder.
    return directoryUrl() + escaped(handleOf(curl_), name);
}

bool FileTransfer::setDirectory(const std::string& dir) {
    if (!isConnected()) return false;
    std::string path;
    size_t pos = 0;
    if (!dir.empty() && dir[0] == '/') path = "%2F";  // absolute: start at the root
    while (pos <= dir.size()) {
        size_t slash = dir.find('/', pos);
        if (slash == std::string::npos) slash = dir.size();
        std::string part = dir.substr(pos, slash - pos);
        if (!part.empty()) path += escaped(handleOf(curl_), part) + "/";
        pos = slash + 1;
    }
    if (path == "%2F") path = "%2F/";
    Request change;
    change.url = baseUrl_ + path;
    change.noBody = true;
    if (!perform(change)) return false;
    directory_ = path;
    return true;
}

bool FileTransfer::getFile(const std::string& remote, const std::string& local) {
    if (!isConnected()) return false;
    size_t slash = local.rfind('/');
    std::string folder = slash == std::string::npos ? std::string("./") : local.substr(0, slash + 1);
    // The temporary name never matches a pattern that the importer looks for.
    std::string temp = folder + ".typix-download-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        lastError_ = "cannot create a file in the target folder";
        return false;
    }
    ::close(fd);
    LWriteFile file;
    bool ok = file.create(temp);
    Request get;
    get.url = fileUrl(remote);
    get.download = &file;
    ok = ok && perform(get);
    ok = ok && file.flush();
    file.close();
    if (ok && std::rename(temp.c_str(), local.c_str()) == 0) return true;
    std::remove(temp.c_str());
    return false;
}

bool FileTransfer::putFile(const std::string& local, const std::string& remote) {
    if (!isConnected()) return false;
    LReadFile file;
    if (!file.open(local)) {
        lastError_ = "cannot read " + local;
        return false;
    }
    Request put;
    put.url = fileUrl(remote);
    put.upload = &file;
    put.uploadSize = file.size();
    return perform(put);
}

bool FileTransfer::deleteFile(const std::string& remote) {
    if (!isConnected()) return false;
    std::string command = "DELE " + remote;
    if (command.find_first_of("\r\n") != std::string::npos) return false;
    Request dele;
    dele.url = directoryUrl();
    dele.noBody = true;
    dele.quote = curl_slist_append(nullptr, command.c_str());
    bool ok = dele.quote && perform(dele);
    curl_slist_free_all(dele.quote);
    return ok;
}

bool FileTransfer::list(std::string& out) {
    if (!isConnected()) return false;
    Request nlst;
    nlst.url = directoryUrl();
    nlst.listOnly = true;
    nlst.listing = &out;
    return perform(nlst);
}

bool FileTransfer::DirIterator::first(FileTransfer& transfer, const std::string& pattern) {
    names_.clear();
    index_ = 0;
    std::string listing;
    if (!transfer.list(listing)) return false;
    size_t pos = 0;
    while (pos < listing.size()) {
        size_t end = listing.find('\n', pos);
        if (end == std::string::npos) end = listing.size();
        std::string name = listing.substr(pos, end - pos);
        if (!name.empty() && name.back() == '\r') name.pop_back();
        // Names are kept as the server sent them; the caller decides whether
        // one is plain enough to become a local path.
        if (!name.empty() && wildcardMatch(pattern, name)) names_.push_back(name);
        pos = end + 1;
    }
    return valid();
}

}  // namespace typix
