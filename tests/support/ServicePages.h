#pragma once

#include <QByteArray>
#include <QString>

// The pages of the service's /quorvel/quorvel.asp as the service writes them
// (its first and only form "f"), and pages no service should answer.
namespace ServicePages {

inline QByteArray page(const QString& status, const QString& status1, const QString& formName = "f",
                       const QString& method = "post") {
    const auto esc = [](const QString& s) { return s.toHtmlEscaped().toUtf8(); };
    return "<!DOCTYPE html><html><body><form name=\"" + esc(formName) + "\" method=\"" +
           esc(method) +
           "\" action=\"quorvel.asp\" accept-charset=\"utf-8\">\n"
           "<textarea name=\"T\"></textarea>\n"
           "<input type=\"hidden\" name=\"hMode\" value=\"save\">\n"
           "<input type=\"hidden\" name=\"hUsername\" value=\"\">\n"
           "<input type=\"hidden\" name=\"hMobile\" value=\"\">\n"
           "<input type=\"hidden\" name=\"hMail\" value=\"\">\n"
           "<input type=\"hidden\" name=\"hstatus\" value=\"" +
           esc(status) + "\">\n<input type=\"hidden\" name=\"hStatus1\" value=\"" + esc(status1) +
           "\">\n<input type=\"submit\" value=\"Send\"></form></body></html>";
}

inline QByteArray signOn() {
    return page("C:Connected to Quorvel server.", "100 SMS message(s) remaining today.");
}
inline QByteArray accepted() {
    return page("D:SMS message(s) accepted for processing.", "97 SMS message(s) remaining today.");
}
inline QByteArray refused(const QString& text) {
    return page(text, text);
}
inline QByteArray withoutForms() {
    return "<html><body><p>Service Unavailable</p></body></html>";
}

} // namespace ServicePages
