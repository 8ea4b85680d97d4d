#include "Page.h"

std::string htmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

namespace {

// The message of a status text is what follows its code and colon.
std::string_view message(std::string_view status) {
    return status.size() >= 2 && status[1] == ':' ? status.substr(2) : status;
}

void hidden(std::string& page, const char* name, std::string_view value) {
    page += "<input type=\"hidden\" name=\"";
    page += name;
    page += "\" value=\"";
    page += htmlEscape(value);
    page += "\">\n";
}

} // namespace

std::string renderPage(const PageFields& f, const std::vector<SentRow>* sent) {
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<title>Quorvel</title>\n</head>\n<body>\n<h1>Quorvel</h1>\n";
    page += "<p id=\"status\">" + htmlEscape(message(f.status)) + "</p>\n";
    page += "<p id=\"remaining\">" + htmlEscape(message(f.status1)) + "</p>\n";
    if (!f.userId.empty())
        page += "<p id=\"user\">Signed on as " + htmlEscape(f.userId) + "</p>\n";
    page += "<form name=\"f\" method=\"post\" action=\"quorvel.asp\" accept-charset=\"utf-8\">\n"
            "<p><label for=\"T\">Messages: a number with its country code (+447700900123), "
            "a blank and the text; several joined with #</label><br>\n"
            "<textarea name=\"T\" id=\"T\" rows=\"8\" cols=\"70\"></textarea></p>\n";
    hidden(page, "hMode", "save");
    hidden(page, "hUsername", f.userId);
    hidden(page, "hMobile", f.mobile);
    hidden(page, "hMail", f.email);
    hidden(page, "hstatus", f.status);
    hidden(page, "hStatus1", f.status1);
    // The client's own mark for one submission, so a repeat is known as one.
    hidden(page, "hToken", "");
    page += "<p><input type=\"submit\" value=\"Send\"></p>\n</form>\n";
    if (sent) {
        page += "<table id=\"sent\">\n<caption>Your last messages</caption>\n"
                "<tr><th>Received</th><th>Number</th><th>Text</th><th>State</th>"
                "<th>Time</th></tr>\n";
        for (const SentRow& m : *sent)
            page += "<tr><td>" + htmlEscape(m.received) + "</td><td>" + htmlEscape(m.number) +
                    "</td><td>" + htmlEscape(m.text) + "</td><td>" + htmlEscape(m.state) +
                    "</td><td>" + htmlEscape(m.time) + "</td></tr>\n";
        page += "</table>\n";
    }
    page += "</body>\n</html>\n";
    return page;
}

std::string renderNotFound() {
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<title>Not found</title>\n</head>\n<body>\n<p>Not found. Quorvel's page is "
           "<a href=\"/quorvel/quorvel.asp\">/quorvel/quorvel.asp</a>.</p>\n</body>\n</html>\n";
}
