// The Internet route's answer page: every form read from any page, written
// back as plain HTML, reads back the same.
#include "FuzzSupport.h"
#include "client/internet/HtmlForms.h"

using Fuzz::check;

namespace {

// Markup characters and every control character as references, so the text
// comes back whatever it holds.
QString attr(const QString& text) {
    QString out;
    for (QChar c : text) {
        if (c == '&' || c == '"' || c == '<' || c == '>' || c.unicode() < 0x20)
            out += QStringLiteral("&#%1;").arg(c.unicode());
        else
            out += c;
    }
    return '"' + out + '"';
}

QString describe(const QList<HtmlForm>& forms) {
    QString out;
    for (const HtmlForm& f : forms) {
        out += QStringLiteral("form %1 %2 %3\n").arg(f.name, f.action, f.method);
        for (const HtmlForm::Field& x : f.fields)
            out += QStringLiteral("  %1=%2\n").arg(x.name, x.value);
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<HtmlForm> forms =
        HtmlForms::parse(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    QString page = QStringLiteral("<!DOCTYPE html><html><body>");
    for (const HtmlForm& f : forms) {
        check(f.method == "get" || f.method == "post", "method", f.method);
        page += "<form name=" + attr(f.name) + " action=" + attr(f.action) + " method=" + f.method +
                '>';
        for (const HtmlForm::Field& x : f.fields) {
            check(!x.name.isEmpty(), "field without a name");
            page += "<input type=hidden name=" + attr(x.name) + " value=" + attr(x.value) + '>';
        }
        page += "</form>";
    }
    page += "</body></html>";
    const QList<HtmlForm> again = HtmlForms::parse(page.toUtf8());
    const QString before = describe(forms);
    const QString after = describe(again);
    check(before == after, "forms do not read back", before + "----\n" + after + "----\n" + page);
    return 0;
}
