// The install-file schema written as a RELAX NG grammar, for editors that validate and
// complete install files (and for xmllint --relaxng).
#include "sv_installschema.h"

#include <QXmlStreamWriter>

namespace SV_InstallSchema {

namespace {

const char kRng[] = "http://relaxng.org/ns/structure/1.0";
const char kAnnotations[] = "http://relaxng.org/ns/compatibility/annotations/1.0";
const char kDatatypes[] = "http://www.w3.org/2001/XMLSchema-datatypes";

class Writer {
public:
    explicit Writer(QString* out) : w(out) {
        w.setAutoFormatting(true);
        w.setAutoFormattingIndent(2);
    }

    void write() {
        w.writeStartDocument();
        w.writeComment(QStringLiteral(
            " The install file of vantor. Written from the engine's own description of what it "
            "reads; the install-file check of vantor reads files against the same description. "));
        w.writeDefaultNamespace(QLatin1String(kRng));
        w.writeNamespace(QLatin1String(kAnnotations), QStringLiteral("a"));
        w.writeStartElement(QLatin1String(kRng), QStringLiteral("grammar"));
        w.writeAttribute(QStringLiteral("datatypeLibrary"), QLatin1String(kDatatypes));
        w.writeStartElement(QStringLiteral("start"));
        ref(elements().first().key);
        w.writeEndElement();
        for (const Element& e : elements()) {
            if (e.key == QLatin1String("action"))
                continue; // one definition per action type, below
            define(e);
        }
        w.writeStartElement(QStringLiteral("define"));
        w.writeAttribute(QStringLiteral("name"), QStringLiteral("action"));
        w.writeStartElement(QStringLiteral("choice"));
        for (const ActionType& t : actionTypes())
            ref(QStringLiteral("action.") + t.type);
        w.writeEndElement();
        w.writeEndElement();
        for (const ActionType& t : actionTypes())
            defineAction(t);
        w.writeEndElement();
        w.writeEndDocument();
    }

private:
    void ref(const QString& name) {
        w.writeEmptyElement(QStringLiteral("ref"));
        w.writeAttribute(QStringLiteral("name"), name);
    }

    void doc(const QString& text) {
        if (text.isEmpty())
            return;
        w.writeTextElement(QLatin1String(kAnnotations), QStringLiteral("documentation"), text);
    }

    void value(const Value& v) {
        switch (v.kind) {
        case Kind::Keyword:
            w.writeStartElement(QStringLiteral("choice"));
            for (const QString& word : v.keywords)
                w.writeTextElement(QStringLiteral("value"), word);
            w.writeEndElement();
            break;
        case Kind::Flag:
            w.writeStartElement(QStringLiteral("choice"));
            w.writeTextElement(QStringLiteral("value"), QStringLiteral("true"));
            w.writeTextElement(QStringLiteral("value"), QStringLiteral("false"));
            w.writeEndElement();
            break;
        case Kind::Integer:
            data(QStringLiteral("integer"));
            break;
        case Kind::Unsigned:
            data(QStringLiteral("nonNegativeInteger"));
            break;
        case Kind::Number:
            data(QStringLiteral("double"));
            break;
        default:
            w.writeEmptyElement(QStringLiteral("text"));
            break;
        }
    }

    void data(const QString& type, const QString& pattern = QString()) {
        if (pattern.isEmpty()) {
            w.writeEmptyElement(QStringLiteral("data"));
            w.writeAttribute(QStringLiteral("type"), type);
            return;
        }
        w.writeStartElement(QStringLiteral("data"));
        w.writeAttribute(QStringLiteral("type"), type);
        w.writeStartElement(QStringLiteral("param"));
        w.writeAttribute(QStringLiteral("name"), QStringLiteral("pattern"));
        w.writeCharacters(pattern);
        w.writeEndElement();
        w.writeEndElement();
    }

    void attribute(const QString& name, const Value& v, bool required, const QString& text) {
        if (!required)
            w.writeStartElement(QStringLiteral("optional"));
        w.writeStartElement(QStringLiteral("attribute"));
        w.writeAttribute(QStringLiteral("name"), name);
        doc(text);
        value(v);
        w.writeEndElement();
        if (!required)
            w.writeEndElement();
    }

    // option-param elements: one group of param name and value per option.
    void optionParams(const QList<Option>& options) {
        w.writeStartElement(QStringLiteral("zeroOrMore"));
        w.writeStartElement(QStringLiteral("element"));
        w.writeAttribute(QStringLiteral("name"), QStringLiteral("option-param"));
        w.writeStartElement(QStringLiteral("choice"));
        for (const Option& o : options) {
            w.writeStartElement(QStringLiteral("group"));
            w.writeStartElement(QStringLiteral("attribute"));
            w.writeAttribute(QStringLiteral("name"), QStringLiteral("param"));
            doc(o.doc);
            if (o.pattern.isEmpty())
                w.writeTextElement(QStringLiteral("value"), o.name);
            else
                data(QStringLiteral("string"), o.pattern);
            w.writeEndElement();
            attribute(QStringLiteral("value"), o.value, false, QString());
            w.writeEndElement();
        }
        w.writeEndElement();
        w.writeEndElement();
        w.writeEndElement();
    }

    void content(const Element& e) {
        for (const Attribute& a : e.attributes)
            attribute(a.name, a.value, a.required, a.doc);
        if (e.key == QLatin1String("viewer-option")) {
            return; // written by the parent, see define()
        }
        if (e.oneOf) {
            w.writeStartElement(QStringLiteral("choice"));
            for (const Child& c : e.children)
                ref(c.rule);
            w.writeEndElement();
            return;
        }
        if (e.children.isEmpty()) {
            if (e.text)
                w.writeEmptyElement(QStringLiteral("text"));
            else
                w.writeEmptyElement(QStringLiteral("empty"));
            return;
        }
        w.writeStartElement(QStringLiteral("interleave"));
        for (const Child& c : e.children) {
            if (c.rule == QLatin1String("viewer-option")) {
                optionParams(viewerOptions());
                continue;
            }
            if (c.occurs == Occurs::ExactlyOne) {
                ref(c.rule);
                continue;
            }
            w.writeStartElement(c.occurs == Occurs::AtMostOnce ? QStringLiteral("optional")
                                                               : QStringLiteral("zeroOrMore"));
            ref(c.rule);
            w.writeEndElement();
        }
        if (e.text)
            w.writeEmptyElement(QStringLiteral("text"));
        w.writeEndElement();
    }

    void define(const Element& e) {
        if (e.key == QLatin1String("viewer-option"))
            return; // its options are written into viewer-options
        w.writeStartElement(QStringLiteral("define"));
        w.writeAttribute(QStringLiteral("name"), e.key);
        w.writeStartElement(QStringLiteral("element"));
        if (e.name.isEmpty())
            w.writeEmptyElement(QStringLiteral("anyName"));
        else
            w.writeAttribute(QStringLiteral("name"), e.name);
        doc(e.doc);
        content(e);
        w.writeEndElement();
        w.writeEndElement();
    }

    void defineAction(const ActionType& t) {
        const Element* action = element(QStringLiteral("action"));
        w.writeStartElement(QStringLiteral("define"));
        w.writeAttribute(QStringLiteral("name"), QStringLiteral("action.") + t.type);
        w.writeStartElement(QStringLiteral("element"));
        w.writeAttribute(QStringLiteral("name"), QStringLiteral("action"));
        doc(t.doc);
        for (const Attribute& a : action->attributes) {
            if (a.name == QLatin1String("type")) {
                w.writeStartElement(QStringLiteral("attribute"));
                w.writeAttribute(QStringLiteral("name"), a.name);
                w.writeTextElement(QStringLiteral("value"), t.type);
                w.writeEndElement();
            } else {
                attribute(a.name, a.value, a.required, a.doc);
            }
        }
        optionParams(t.options);
        w.writeEndElement();
        w.writeEndElement();
    }

    QXmlStreamWriter w;
};

} // namespace

QString relaxNG() {
    QString out;
    Writer(&out).write();
    return out;
}

} // namespace SV_InstallSchema
