#include "client/internet/HtmlForms.h"

#include <gumbo.h>

#include <functional>
#include <optional>

namespace {

QString attribute(const GumboElement& e, const char* name) {
    const GumboAttribute* a = gumbo_get_attribute(&e.attributes, name);
    return a ? QString::fromUtf8(a->value) : QString();
}

bool has(const GumboElement& e, const char* name) {
    return gumbo_get_attribute(&e.attributes, name) != nullptr;
}

QString text(const GumboNode* node) {
    if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE ||
        node->type == GUMBO_NODE_CDATA)
        return QString::fromUtf8(node->v.text.text);
    if (node->type != GUMBO_NODE_ELEMENT)
        return QString();
    QString out;
    const GumboVector& children = node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i)
        out += text(static_cast<const GumboNode*>(children.data[i]));
    return out;
}

// The value a select submits: its selected option, else its first.
std::optional<QString> selectValue(const GumboNode* node) {
    std::optional<QString> first;
    std::optional<QString> selected;
    const std::function<void(const GumboNode*)> walk = [&](const GumboNode* n) {
        if (n->type != GUMBO_NODE_ELEMENT)
            return;
        const GumboElement& e = n->v.element;
        if (e.tag == GUMBO_TAG_OPTION) {
            const QString v = has(e, "value") ? attribute(e, "value") : text(n).simplified();
            if (!first)
                first = v;
            if (has(e, "selected") && !selected)
                selected = v;
            return;
        }
        for (unsigned i = 0; i < e.children.length; ++i)
            walk(static_cast<const GumboNode*>(e.children.data[i]));
    };
    walk(node);
    return selected ? selected : first;
}

// Adds the control `node` to `form` when it is one a submission carries.
void addControl(const GumboNode* node, HtmlForm& form) {
    const GumboElement& e = node->v.element;
    const QString name = attribute(e, "name");
    if (name.isEmpty() || has(e, "disabled"))
        return;
    if (e.tag == GUMBO_TAG_TEXTAREA) {
        form.fields.append({name, text(node)});
    } else if (e.tag == GUMBO_TAG_SELECT) {
        if (const auto v = selectValue(node))
            form.fields.append({name, *v});
    } else if (e.tag == GUMBO_TAG_INPUT) {
        const QString type = attribute(e, "type").toLower();
        static const QStringList kNotSent{"submit", "button", "reset", "image", "file"};
        if (kNotSent.contains(type))
            return;
        if ((type == "checkbox" || type == "radio") && !has(e, "checked"))
            return;
        const bool onOff = type == "checkbox" || type == "radio";
        form.fields.append(
            {name, has(e, "value") ? attribute(e, "value") : (onOff ? "on" : QString())});
    }
}

// `current` is the index of the form the parser left open around `node`, or -1.
void collect(const GumboNode* node, QList<HtmlForm>& forms, qsizetype current) {
    if (node->type != GUMBO_NODE_ELEMENT)
        return;
    const GumboElement& e = node->v.element;
    if (e.tag == GUMBO_TAG_FORM) {
        HtmlForm f;
        f.name = attribute(e, "name");
        f.action = attribute(e, "action").trimmed();
        f.method = attribute(e, "method").trimmed().toLower() == "post" ? "post" : "get";
        forms.append(f);
        current = forms.size() - 1;
    } else if (current >= 0 && (e.tag == GUMBO_TAG_INPUT || e.tag == GUMBO_TAG_TEXTAREA ||
                                e.tag == GUMBO_TAG_SELECT)) {
        addControl(node, forms[current]);
        return;
    }
    for (unsigned i = 0; i < e.children.length; ++i)
        collect(static_cast<const GumboNode*>(e.children.data[i]), forms, current);
}

} // namespace

int HtmlForm::indexOf(const QString& fieldName) const {
    for (qsizetype i = 0; i < fields.size(); ++i)
        if (fields[i].name == fieldName)
            return int(i);
    return -1;
}

QList<HtmlForm> HtmlForms::parse(const QByteArray& utf8) {
    QList<HtmlForm> forms;
    GumboOutput* out =
        gumbo_parse_with_options(&kGumboDefaultOptions, utf8.constData(), size_t(utf8.size()));
    if (!out)
        return forms;
    collect(out->root, forms, -1);
    gumbo_destroy_output(&kGumboDefaultOptions, out);
    return forms;
}
