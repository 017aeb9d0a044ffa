#ifndef SV_INSTALLSCHEMA_H
#define SV_INSTALLSCHEMA_H

#include <QList>
#include <QString>
#include <QStringList>

// What an install file may contain: every element with the attributes and children the
// engine reads from it, every action type with its options, every viewer option, and what
// kind of value each of them takes. The install-file check (SV_InstallCheck) reads files
// against it and the RELAX NG schema shipped for editors is written from it, so the two
// cannot disagree; tests hold it against the engine's action factory, the options the
// action classes and the viewer read, and the names the loaders read.
namespace SV_InstallSchema {

// The kind of value an attribute or option takes.
enum class Kind {
    Text,            // any text
    References,      // text in which $$id$$ references are replaced
    Id,              // the id of the object the element defines
    Directory,       // a directory, relative to the program's directory unless absolute
    ResourceFile,    // a file in the resource directory
    DescriptionFile, // a stage description, looked up in the translation directory
    TemplateFile,    // a template file whose $$id$$ references are filled in
    VariableRef,     // the id of a variable
    ActionRef,       // the id of an action
    StageRef,        // the id of a stage built before this one
    ProfileRef,      // the id of a profile
    ChoiceList,      // comma-separated ids of choices of the same variable
    OptionList,      // comma-separated names of options of the same action
    CommaList,       // comma-separated items
    ReferenceList,   // comma-separated items, in each of which $$id$$ references are replaced
    Keyword,         // one of the keywords
    Flag,            // "true" switches it on; anything else leaves it off
    Integer,         // a decimal integer
    Unsigned,        // a decimal integer, not negative
    Number,          // a decimal number
    Version,         // a version such as 1.8 or 17.0.9
    Colour,          // a colour name or #RRGGBB
    ActionType,      // a registered action type
    OptionValue,     // the value of an option-param: its kind is the option's
};

struct Value {
    Kind kind = Kind::Text;
    QStringList keywords; // for Kind::Keyword
};

struct Attribute {
    QString name;
    Value value;
    bool required = false;
    QString doc;
};

enum class Occurs { Any, AtMostOnce, ExactlyOne };

struct Child {
    QString rule; // key of an Element
    Occurs occurs = Occurs::Any;
};

struct Element {
    QString key;  // unique among the rules
    QString name; // the element's name; empty for the root, whose name is not read
    QString doc;
    QList<Attribute> attributes;
    QList<Child> children;
    bool displayText = false; // its first <string> child is its display text
    bool text = false;        // its own text is read
    bool oneOf = false;       // exactly one of the children (a variable's data element)
};

// An option of an action type (option-param param="name" value="...") or a viewer option.
struct Option {
    QString name;    // the option's name, or a prefix when pattern is set
    QString pattern; // a regular expression the whole name matches (argN, palette-...)
    Value value;
    bool required = false;
    QString doc;
};

struct ActionType {
    QString type;
    QString doc;
    QList<Option> options;
};

// The element rules; the first is the root.
const QList<Element>& elements();
// The rule with that key, or null.
const Element* element(const QString& key);
// The rules of every action type the engine's factory creates.
const QList<ActionType>& actionTypes();
const ActionType* actionType(const QString& type);
// The option of the type that the name means, or null.
const Option* actionOption(const ActionType& type, const QString& name);
const QList<Option>& viewerOptions();
const Option* viewerOption(const QString& name);
// The keywords of a var-condition.
const QStringList& variableConditions();

// The schema as a RELAX NG grammar (XML syntax).
QString relaxNG();

} // namespace SV_InstallSchema

#endif
