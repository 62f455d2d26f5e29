#pragma once
// Handing documents, web pages and mail to the desktop. All of the program's links go through
// openLink and openMail; a UrlOpener lets tests see the address without opening anything.
#include <QUrl>
#include <string>

namespace kelmora::app {

class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual void open(const QUrl& url) = 0;
};

// Opens through QDesktopServices; a failure gives no message, like the desktop's own opener.
class DesktopUrlOpener : public UrlOpener {
public:
    void open(const QUrl& url) override;
};
UrlOpener& desktopUrlOpener();

// mode "local": the address is a document path (relative ones are taken from the program's folder).
// Otherwise "http://" goes in front unless the address starts with exactly "http://" (case matters),
// and the caller's address is changed too.
void openLink(std::string& address, const std::string& mode, UrlOpener& opener);
void openLink(std::string& address, const std::string& mode);

// The mail text "mailto:<address>?Subject=<subject>&Body=<body>", built without encoding.
std::string mailText(const std::string& address, const std::string& subject, const std::string& body);
// The mail text as a URL the desktop accepts (blanks and brackets percent-encoded by Qt).
QUrl mailUrl(const std::string& address, const std::string& subject, const std::string& body);
void openMail(const std::string& address, const std::string& subject, const std::string& body, UrlOpener& opener);
void openMail(const std::string& address, const std::string& subject, const std::string& body);

// The program's folder with a trailing "/", where help.html and history.html live.
std::string programFolder();

}  // namespace kelmora::app
