#include "transfer/FileTransfer.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "support/LFile.h"

namespace typix {

namespace {

constexpr long kConnectTimeoutSeconds = 15;
constexpr long kSilenceTimeoutSeconds = 20;
// The longest the transfer loop sleeps between two looks at its sockets.
// libcurl 7.88 can leave a passive data connection unstarted until its own
// one-second default wait ends; waking this often turns that stall into a
// few milliseconds, and a wake-up with nothing to do costs next to nothing.
constexpr int kPollMilliseconds = 2;

CURL* handleOf(void* curl) { return static_cast<CURL*>(curl); }
CURLM* multiOf(void* multi) { return static_cast<CURLM*>(multi); }

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

size_t discard(char*, size_t size, size_t count, void*) { return size * count; }

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

// Failures that concern one file or one command; every other failure means
// the connection is gone (or never was).
bool isRefusalOfOneRequest(CURLcode code) {
    switch (code) {
        case CURLE_REMOTE_FILE_NOT_FOUND:
        case CURLE_QUOTE_ERROR:
        case CURLE_UPLOAD_FAILED:
        case CURLE_REMOTE_ACCESS_DENIED:
        case CURLE_FTP_COULDNT_RETR_FILE:
        case CURLE_WRITE_ERROR:
        case CURLE_READ_ERROR:
            return true;
        default:
            return false;
    }
}

std::string hexFingerprint(const unsigned char* digest, unsigned length) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned i = 0; i < length; ++i) {
        if (i) out += ':';
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 15];
    }
    return out;
}

}  // namespace

std::string normaliseFingerprint(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// The TLS side of a session: every handshake records the server
// certificate's fingerprint; with a trusted fingerprint set, that one
// certificate (and no other) is accepted in place of the usual verification.
struct FileTransfer::TlsHooks {
    static FileTransfer* owner(X509_STORE_CTX* store) {
        auto* ssl = static_cast<SSL*>(
            X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
        return ssl ? static_cast<FileTransfer*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)))
                   : nullptr;
    }
    static std::string leafFingerprint(X509_STORE_CTX* store) {
        STACK_OF(X509)* chain = X509_STORE_CTX_get0_chain(store);
        X509* leaf = chain && sk_X509_num(chain) > 0 ? sk_X509_value(chain, 0)
                                                     : X509_STORE_CTX_get0_cert(store);
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned length = 0;
        if (!leaf || X509_digest(leaf, EVP_sha256(), digest, &length) != 1) return {};
        return hexFingerprint(digest, length);
    }
    static int verify(int preverified, X509_STORE_CTX* store) {
        FileTransfer* self = owner(store);
        if (!self) return preverified;
        self->peerFingerprint_ = leafFingerprint(store);
        if (self->trusted_.empty()) return preverified;
        return normaliseFingerprint(self->peerFingerprint_) == self->trusted_ ? 1 : 0;
    }
    static CURLcode context(CURL*, void* sslContext, void* self) {
        auto* ctx = static_cast<SSL_CTX*>(sslContext);
        auto* transfer = static_cast<FileTransfer*>(self);
        SSL_CTX_set_app_data(ctx, transfer);
        SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, verify);
        transfer->encrypted_ = true;
        return CURLE_OK;
    }
    // Keeps the server's last refusal (4xx or 5xx), for messages that quote it.
    static int debug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
        if (type != CURLINFO_HEADER_IN) return 0;
        std::string line(data, size);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        // Only refusals: the QUIT that follows one must not hide it.
    if (line.size() > 3 && (line[0] == '4' || line[0] == '5')) static_cast<FileTransfer*>(self)->lastReply_ = line;
        return 0;
    }
};

bool parseFtpServer(const std::string& server, std::string& baseUrl, FtpSecurity& security) {
    std::string rest = server;
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '/')) rest.pop_back();
    while (!rest.empty() && rest.front() == ' ') rest.erase(rest.begin());
    security = FtpSecurity::TlsIfOffered;
    std::string scheme = "ftp://", port = "21";
    if (rest.rfind("ftps://", 0) == 0) {
        security = FtpSecurity::ImplicitTls;
        scheme = "ftps://";
        port = "990";
        rest = rest.substr(7);
    } else if (rest.rfind("ftp://", 0) == 0) {
        security = FtpSecurity::Plain;
        rest = rest.substr(6);
    } else if (rest.find("://") != std::string::npos) {
        return false;
    }
    // Only host[:port] is taken; a path in the URL belongs in "ftpdir".
    rest = rest.substr(0, rest.find('/'));
    std::string host = rest;
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
    baseUrl = scheme + host + ":" + port + "/";
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
    bool fileInfo = false;  // ask for SIZE and MDTM
};

FileTransfer::FileTransfer() = default;

FileTransfer::~FileTransfer() { close(); }

void FileTransfer::setTrustedFingerprint(const std::string& fingerprint) {
    trusted_ = normaliseFingerprint(fingerprint);
}

bool FileTransfer::open() {
    if (curl_) return true;
    initCurlOnce();
    curl_ = curl_easy_init();
    multi_ = curl_multi_init();
    if (curl_ && multi_) return true;
    close();
    return false;
}

void FileTransfer::close() {
    if (curl_) curl_easy_cleanup(handleOf(curl_));
    if (multi_) curl_multi_cleanup(multiOf(multi_));
    curl_ = nullptr;
    multi_ = nullptr;
    baseUrl_.clear();
    directory_.clear();
}

void FileTransfer::describeFailure(int result, const char* detail) {
    const auto code = static_cast<CURLcode>(result);
    sessionLost_ = !isRefusalOfOneRequest(code);
    certificateFailed_ = code == CURLE_PEER_FAILED_VERIFICATION ||
                         (!trusted_.empty() && code == CURLE_SSL_CONNECT_ERROR &&
                          !peerFingerprint_.empty() &&
                          normaliseFingerprint(peerFingerprint_) != trusted_);
    std::string text = detail[0] ? detail : curl_easy_strerror(code);
    if (certificateFailed_) {
        if (!trusted_.empty() && code != CURLE_PEER_FAILED_VERIFICATION)
            text = "the server's certificate is not the one trusted in the settings";
        lastError_ = "the FTP server's certificate cannot be verified (" + text +
                     "); SHA-256 fingerprint " + peerFingerprint_;
        return;
    }
    // The server's own words say more than the library's summary.
    const bool replied = lastReply_.size() > 3 && (lastReply_[0] == '4' || lastReply_[0] == '5');
    lastError_ = replied ? "the server answered \"" + lastReply_ + "\"" : text;
}

bool FileTransfer::perform(Request& request) {
    CURL* curl = handleOf(curl_);
    // A reset keeps the live connection (held by the multi handle), so one
    // login serves the whole check.
    curl_easy_reset(curl);
    char errorText[CURL_ERROR_SIZE] = {};
    lastReply_.clear();
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, kSilenceTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kSilenceTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, TlsHooks::debug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, this);
    switch (security_) {
        case FtpSecurity::Plain:
            curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_NONE));
            break;
        case FtpSecurity::TlsIfOffered:
            curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
            break;
        case FtpSecurity::ImplicitTls:
            curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
            break;
    }
    if (security_ != FtpSecurity::Plain) {
        curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, TlsHooks::context);
        curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, this);
        // A trusted fingerprint names the one certificate to accept, whatever
        // its issuer or names; the check runs in the verify hook.
        if (!trusted_.empty()) {
            curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
            curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
        }
    }
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
    if (request.fileInfo) curl_easy_setopt(curl, CURLOPT_FILETIME, 1L);
    if (request.listOnly) curl_easy_setopt(curl, CURLOPT_DIRLISTONLY, 1L);
    if (request.quote) curl_easy_setopt(curl, CURLOPT_POSTQUOTE, request.quote);
    // Replies to requests without a body (SIZE and MDTM of a file) arrive as
    // header text; nobody needs them on standard output.
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discard);
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
    const int code = runToEnd();
    if (code == CURLE_OK) {
        lastError_.clear();
        sessionLost_ = certificateFailed_ = false;
        return true;
    }
    describeFailure(code, errorText);
    return false;
}

int FileTransfer::runToEnd() {
    CURLM* multi = multiOf(multi_);
    CURL* curl = handleOf(curl_);
    if (curl_multi_add_handle(multi, curl) != CURLM_OK) return CURLE_FAILED_INIT;
    CURLcode code = CURLE_OK;
    for (int running = 1; running;) {
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            code = CURLE_FAILED_INIT;
            break;
        }
        if (running && curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr) != CURLM_OK) {
            code = CURLE_FAILED_INIT;
            break;
        }
    }
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == curl) code = message->data.result;
    }
    curl_multi_remove_handle(multi, curl);
    return code;
}

bool FileTransfer::connect(const std::string& server, const std::string& user,
                           const std::string& password) {
    baseUrl_.clear();
    directory_.clear();
    if (!curl_) return false;
    std::string base;
    FtpSecurity security = FtpSecurity::TlsIfOffered;
    if (!parseFtpServer(server, base, security)) {
        lastError_ = "no usable server name";
        sessionLost_ = true;
        return false;
    }
    security_ = security;
    encrypted_ = false;
    peerFingerprint_.clear();
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

bool FileTransfer::fileInfo(const std::string& remote, int64_t& size, int64_t& time) {
    size = time = -1;
    if (!isConnected()) return false;
    Request info;
    info.url = fileUrl(remote);
    info.noBody = true;
    info.fileInfo = true;
    if (!perform(info)) return false;
    curl_off_t length = -1, stamp = -1;
    curl_easy_getinfo(handleOf(curl_), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    curl_easy_getinfo(handleOf(curl_), CURLINFO_FILETIME_T, &stamp);
    size = length;
    time = stamp;
    return true;
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
