// SMTP through libcurl: one connection per message.
#include "transfer/SmtpMailTransport.h"

#include <curl/curl.h>

#include <cstring>
#include <memory>

namespace typix {

namespace {

struct Upload {
    const std::string* text;
    size_t offset = 0;
};

size_t readMessage(char* buffer, size_t size, size_t count, void* user) {
    auto* upload = static_cast<Upload*>(user);
    size_t room = size * count;
    size_t left = upload->text->size() - upload->offset;
    size_t n = left < room ? left : room;
    std::memcpy(buffer, upload->text->data() + upload->offset, n);
    upload->offset += n;
    return n;
}

// Keeps the server's last refusal (a 4xx or 5xx reply), so the message can quote it.
int keepReply(CURL*, curl_infotype type, char* data, size_t size, void* target) {
    if (type != CURLINFO_HEADER_IN) return 0;
    std::string line(data, size);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    // Only refusals: the QUIT that follows one must not hide it.
    if (line.size() > 3 && (line[0] == '4' || line[0] == '5')) *static_cast<std::string*>(target) = line;
    return 0;
}

int checkCancel(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto& asked = *static_cast<const MailCancel*>(cancel);
    return asked && asked() ? 1 : 0;
}

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

}  // namespace

std::string SmtpMailTransport::serverUrl(const std::string& setting) {
    if (setting.find("://") != std::string::npos) return setting;
    return "smtp://" + setting;
}

MailSendResult SmtpMailTransport::send(const std::string& from, const std::string& recipient,
                                       const std::string& message, const MailCancel& cancel) {
    MailSendResult result;
    curl_global_init(CURL_GLOBAL_DEFAULT);
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        result.error = "The mail library could not be started.";
        return result;
    }
    CURL* c = curl.get();
    std::unique_ptr<curl_slist, ListDeleter> recipients(curl_slist_append(nullptr,
                                                                          ("<" + recipient + ">").c_str()));
    const std::string url = serverUrl(account_.server);
    const std::string envelopeFrom = "<" + from + ">";
    Upload upload{&message};
    char errorText[CURL_ERROR_SIZE] = {};
    std::string lastReply;
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, envelopeFrom.c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients.get());
    curl_easy_setopt(c, CURLOPT_READFUNCTION, readMessage);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
    // A password travels only inside TLS: with a user name, STARTTLS is
    // required of a smtp:// server.  Without one, STARTTLS whenever offered.
    const bool login = !account_.user.empty();
    curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(login ? CURLUSESSL_ALL : CURLUSESSL_TRY));
    if (login) {
        curl_easy_setopt(c, CURLOPT_USERNAME, account_.user.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, account_.password.c_str());
    }
    if (!account_.caFile.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, account_.caFile.c_str());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 20L);
    // A server that stops answering gives up after a minute below 1 byte/s.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, keepReply);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &lastReply);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, checkCancel);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &cancel);
    CURLcode code = curl_easy_perform(c);
    if (code == CURLE_OK) {
        result.sent = true;
        return result;
    }
    if (code == CURLE_ABORTED_BY_CALLBACK) {
        result.cancelled = true;
        result.error = "Sending was cancelled; the mail was not handed over.";
    } else if (code == CURLE_USE_SSL_FAILED) {
        result.error = "The SMTP server " + url +
                       " offers no encryption (STARTTLS), so the password was not sent. Use "
                       "smtps:// (usually port 465) or a server that supports STARTTLS.";
    } else if (lastReply.size() > 3 && (lastReply[0] == '4' || lastReply[0] == '5')) {
        result.error = "The SMTP server " + url + " refused the mail: " + lastReply;
    } else {
        result.error = "The SMTP server " + url + " did not accept the mail: " +
                       (errorText[0] ? errorText : curl_easy_strerror(code));
    }
    return result;
}

}  // namespace typix
