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
                                       const std::string& message) {
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
    std::string url = serverUrl(account_.server);
    Upload upload{&message};
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, ("<" + from + ">").c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients.get());
    curl_easy_setopt(c, CURLOPT_READFUNCTION, readMessage);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
    // STARTTLS whenever the server offers it; smtps:// is encrypted anyway.
    curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
    if (!account_.user.empty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, account_.user.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, account_.password.c_str());
    }
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 20L);
    // A server that stops answering gives up after a minute below 1 byte/s.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    CURLcode code = curl_easy_perform(c);
    if (code == CURLE_OK) {
        result.sent = true;
        return result;
    }
    result.error = "The SMTP server " + url + " did not accept the mail: " +
                   (errorText[0] ? errorText : curl_easy_strerror(code));
    return result;
}

}  // namespace typix
