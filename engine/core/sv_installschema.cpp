#include "sv_installschema.h"

#include <QRegularExpression>

namespace SV_InstallSchema {

namespace {

Value text() {
    return {Kind::Text, {}};
}
Value refs() {
    return {Kind::References, {}};
}
Value kind(Kind k) {
    return {k, {}};
}
Value keywords(const QStringList& words) {
    return {Kind::Keyword, words};
}

Attribute attr(const QString& name, Value value, const QString& doc, bool required = false) {
    return {name, std::move(value), required, doc};
}
Attribute required(const QString& name, Value value, const QString& doc) {
    return attr(name, std::move(value), doc, true);
}

Child any(const QString& key) {
    return {key, Occurs::Any};
}
Child once(const QString& key) {
    return {key, Occurs::AtMostOnce};
}

Option opt(const QString& name, Value value, const QString& doc, bool isRequired = false) {
    return {name, QString(), std::move(value), isRequired, doc};
}
Option must(const QString& name, Value value, const QString& doc) {
    return opt(name, std::move(value), doc, true);
}

// The options every action reads, and those of every action that runs a program.
QList<Option> actionOptions(QList<Option> own) {
    own.append(opt(QStringLiteral("ignore-errors"), kind(Kind::Flag),
                   QStringLiteral("\"true\": errors are logged but not signalled")));
    return own;
}
QList<Option> programOptions(QList<Option> own) {
    own.append(opt(QStringLiteral("time"), kind(Kind::Integer),
                   QStringLiteral("expected run time in milliseconds, for the progress")));
    own.append(opt(QStringLiteral("progress-interval"), kind(Kind::Integer),
                   QStringLiteral("milliseconds between two progress steps (default 1000)")));
    own.append(opt(QStringLiteral("detach"), kind(Kind::Flag),
                   QStringLiteral("\"true\": the program is released once started")));
    own.append(opt(QStringLiteral("stderr-is-err"),
                   keywords({QStringLiteral("true"), QStringLiteral("false")}),
                   QStringLiteral("\"false\": text on standard error is no error")));
    return actionOptions(std::move(own));
}

const QStringList kConditionKeywords = {
    QStringLiteral("item-selected"), QStringLiteral("item-not-selected"),
    QStringLiteral("not-empty"),     QStringLiteral("equal"),
    QStringLiteral("not-equal"),     QStringLiteral("valid-password"),
    QStringLiteral("existing-dir"),  QStringLiteral("boolean")};

QList<Element> buildElements() {
    const QString display = QStringLiteral("string");
    const Attribute varId =
        required(QStringLiteral("var_id"), kind(Kind::VariableRef), QStringLiteral("the variable"));
    const Attribute actionId =
        required(QStringLiteral("action_id"), kind(Kind::ActionRef), QStringLiteral("the action"));
    const Attribute operatorAttr =
        attr(QStringLiteral("condition"), keywords({QStringLiteral("and"), QStringLiteral("or")}),
             QStringLiteral("\"or\": one condition must hold; otherwise all of them"));
    const QList<Child> actionList = {any(QStringLiteral("var-init")),
                                     any(QStringLiteral("var-modify")),
                                     any(QStringLiteral("run-action"))};
    const QList<Child> conditions = {any(QStringLiteral("var-condition")),
                                     any(QStringLiteral("stage-condition"))};

    QList<Element> e;
    auto add = [&e](Element element) { e.append(std::move(element)); };
    auto simple = [](const QString& key, const QString& doc, QList<Attribute> attributes = {},
                     QList<Child> children = {}, bool displayText = false) {
        Element element;
        element.key = key;
        element.name = key;
        element.doc = doc;
        element.attributes = std::move(attributes);
        element.children = std::move(children);
        element.displayText = displayText;
        return element;
    };

    Element root = simple(QStringLiteral("root"),
                          QStringLiteral("the install file (its name is not read)"), {},
                          {once(QStringLiteral("install-info")), once(QStringLiteral("languages")),
                           once(QStringLiteral("profiles")), once(QStringLiteral("variables")),
                           once(QStringLiteral("actions")), once(QStringLiteral("pre-install")),
                           once(QStringLiteral("stages")), once(QStringLiteral("post-install"))});
    root.name.clear();
    add(root);

    Element str = simple(display, QStringLiteral("a display text: stripped and translated"));
    str.text = true;
    add(str);

    // install-info and languages
    add(simple(QStringLiteral("install-info"), QStringLiteral("the installation itself"), {},
               {any(QStringLiteral("author")), any(QStringLiteral("app-name")),
                any(QStringLiteral("components")), any(QStringLiteral("resources")),
                any(QStringLiteral("app-icon")), any(QStringLiteral("author-icon")),
                any(QStringLiteral("viewer-options"))}));
    add(simple(QStringLiteral("author"), QStringLiteral("the author's name"),
               {attr(QStringLiteral("dir"), text(), QStringLiteral("the author's directory"))},
               {once(display)}, true));
    add(simple(QStringLiteral("app-name"), QStringLiteral("the application's name"), {},
               {once(display)}, true));
    add(simple(
        QStringLiteral("components"), QStringLiteral("the component directory (packages)"),
        {attr(QStringLiteral("dir"), kind(Kind::Directory), QStringLiteral("the directory"))}));
    add(simple(
        QStringLiteral("resources"), QStringLiteral("the resource directory"),
        {attr(QStringLiteral("dir"), kind(Kind::Directory), QStringLiteral("the directory"))}));
    add(simple(QStringLiteral("app-icon"), QStringLiteral("the application icon"),
               {attr(QStringLiteral("file"), kind(Kind::ResourceFile),
                     QStringLiteral("an image in the resource directory"))}));
    add(simple(QStringLiteral("author-icon"), QStringLiteral("the author icon"),
               {attr(QStringLiteral("file"), kind(Kind::ResourceFile),
                     QStringLiteral("an image in the resource directory"))}));
    add(simple(QStringLiteral("viewer-options"), QStringLiteral("options of the wizard window"), {},
               {any(QStringLiteral("viewer-option"))}));
    Element viewerOption = simple(
        QStringLiteral("viewer-option"), QStringLiteral("one viewer option"),
        {required(QStringLiteral("param"), text(), QStringLiteral("the option")),
         attr(QStringLiteral("value"), kind(Kind::OptionValue), QStringLiteral("its value"))});
    viewerOption.name = QStringLiteral("option-param");
    add(viewerOption);
    add(simple(QStringLiteral("languages"), QStringLiteral("the languages offered"),
               {attr(QStringLiteral("dir"), kind(Kind::Directory),
                     QStringLiteral("the translation directory"))},
               {any(QStringLiteral("language"))}));
    add(simple(QStringLiteral("language"), QStringLiteral("one language"),
               {attr(QStringLiteral("name"), text(), QStringLiteral("the name shown")),
                required(QStringLiteral("encoding"), text(),
                         QStringLiteral("the locale code (de, en, ...)"))}));

    // profiles
    add(simple(QStringLiteral("profiles"), QStringLiteral("named sets of variable values"), {},
               {any(QStringLiteral("profile"))}));
    add(simple(QStringLiteral("profile"), QStringLiteral("a profile"),
               {required(QStringLiteral("id"), kind(Kind::Id), QStringLiteral("the profile's id"))},
               {once(display), any(QStringLiteral("var-ref"))}, true));
    add(simple(QStringLiteral("var-ref"), QStringLiteral("a value the profile sets"),
               {varId, attr(QStringLiteral("value"), text(),
                            QStringLiteral("the value; several choice ids separated by \",\""))}));

    // variables
    add(simple(QStringLiteral("variables"), QStringLiteral("the install variables"), {},
               {any(QStringLiteral("variable"))}));
    add(simple(
        QStringLiteral("variable"), QStringLiteral("an install variable"),
        {required(QStringLiteral("id"), kind(Kind::Id), QStringLiteral("the variable's id")),
         attr(QStringLiteral("default"), text(), QStringLiteral("the value it starts with"))},
        {once(display), {QStringLiteral("data-type"), Occurs::ExactlyOne}}, true));
    Element dataType = simple(
        QStringLiteral("data-type"), QStringLiteral("the kind of variable"), {},
        {any(QStringLiteral("text-data")), any(QStringLiteral("single-selection")),
         any(QStringLiteral("multiple-selection")), any(QStringLiteral("directory-selection")),
         any(QStringLiteral("profile-selection")), any(QStringLiteral("boolean")),
         any(QStringLiteral("password-data")), any(QStringLiteral("numeric-data"))});
    dataType.oneOf = true;
    add(dataType);
    add(simple(QStringLiteral("text-data"), QStringLiteral("a text"),
               {attr(QStringLiteral("validation-type"),
                     keywords({QStringLiteral("int"), QStringLiteral("uint"),
                               QStringLiteral("double"), QStringLiteral("ldap-name-part")}),
                     QStringLiteral("how the text is checked"))}));
    add(simple(
        QStringLiteral("numeric-data"), QStringLiteral("a number"),
        {attr(QStringLiteral("datatype"),
              keywords({QStringLiteral("int"), QStringLiteral("uint"), QStringLiteral("double")}),
              QStringLiteral("the kind of number (default int)")),
         attr(QStringLiteral("min"), kind(Kind::Number), QStringLiteral("the smallest value")),
         attr(QStringLiteral("max"), kind(Kind::Number), QStringLiteral("the largest value"))}));
    add(simple(QStringLiteral("boolean"), QStringLiteral("yes or no"), {},
               {once(QStringLiteral("true-text")), once(QStringLiteral("false-text")),
                once(QStringLiteral("undefined-text"))}));
    for (const char* name : {"true-text", "false-text", "undefined-text"})
        add(simple(QLatin1String(name), QStringLiteral("the text shown for this value"), {},
                   {once(display)}, true));
    add(simple(QStringLiteral("directory-selection"), QStringLiteral("a directory")));
    add(simple(QStringLiteral("single-selection"), QStringLiteral("one of several choices"), {},
               {any(QStringLiteral("choice"))}));
    add(simple(QStringLiteral("choice"), QStringLiteral("a choice"),
               {required(QStringLiteral("id"), kind(Kind::Id), QStringLiteral("the choice's id"))},
               {once(display)}, true));
    add(simple(QStringLiteral("multiple-selection"), QStringLiteral("any of several choices"), {},
               {any(QStringLiteral("multiple-choice"))}));
    Element multipleChoice =
        simple(QStringLiteral("multiple-choice"), QStringLiteral("a choice"),
               {required(QStringLiteral("id"), kind(Kind::Id), QStringLiteral("the choice's id")),
                attr(QStringLiteral("depends"), kind(Kind::ChoiceList),
                     QStringLiteral("choices it requires, separated by \",\""))},
               {once(display)}, true);
    multipleChoice.name = QStringLiteral("choice");
    add(multipleChoice);
    add(simple(QStringLiteral("profile-selection"),
               QStringLiteral("one of the profiles; choosing it applies it"), {},
               {any(QStringLiteral("profile-choice"))}));
    add(simple(QStringLiteral("profile-choice"), QStringLiteral("a profile to choose"),
               {required(QStringLiteral("profile_id"), kind(Kind::ProfileRef),
                         QStringLiteral("the profile"))}));
    add(simple(QStringLiteral("password-data"), QStringLiteral("a password, entered twice"), {},
               {once(QStringLiteral("password-conditions"))}));
    add(simple(QStringLiteral("password-conditions"), QStringLiteral("rules for the password"),
               {attr(QStringLiteral("min_length"), kind(Kind::Unsigned),
                     QStringLiteral("the least number of characters")),
                attr(QStringLiteral("security"),
                     keywords({QStringLiteral("no-alpha"), QStringLiteral("non-dictionary")}),
                     QStringLiteral("a further rule"))}));

    // actions and action lists
    add(simple(QStringLiteral("actions"), QStringLiteral("the named actions"), {},
               {any(QStringLiteral("action"))}));
    add(simple(QStringLiteral("action"), QStringLiteral("an action"),
               {required(QStringLiteral("type"), kind(Kind::ActionType),
                         QStringLiteral("the action type")),
                required(QStringLiteral("id"), kind(Kind::Id), QStringLiteral("the action's id"))},
               {any(QStringLiteral("action-option"))}));
    Element actionOption = simple(
        QStringLiteral("action-option"), QStringLiteral("one option of the action"),
        {required(QStringLiteral("param"), text(), QStringLiteral("the option")),
         attr(QStringLiteral("value"), kind(Kind::OptionValue), QStringLiteral("its value"))});
    actionOption.name = QStringLiteral("option-param");
    add(actionOption);
    add(simple(QStringLiteral("pre-install"), QStringLiteral("actions run before the first stage"),
               {}, actionList));
    add(simple(QStringLiteral("post-install"), QStringLiteral("actions run after the last stage"),
               {}, actionList));
    add(simple(QStringLiteral("var-init"),
               QStringLiteral("sets a variable from an action's result"), {varId, actionId},
               {once(QStringLiteral("prepend-data")), once(QStringLiteral("append-data"))}));
    for (const char* name : {"prepend-data", "append-data"}) {
        Element data =
            simple(QLatin1String(name), QStringLiteral("text put around the result, as written"));
        data.text = true;
        add(data);
    }
    add(simple(
        QStringLiteral("var-modify"), QStringLiteral("sets a variable"),
        {varId, attr(QStringLiteral("newstring"), refs(), QStringLiteral("the new value"))}));
    add(simple(QStringLiteral("run-action"), QStringLiteral("runs a named action"), {actionId}));

    // stages
    add(simple(QStringLiteral("stages"), QStringLiteral("the wizard's pages"), {},
               {any(QStringLiteral("stage"))}));
    add(simple(QStringLiteral("stage"), QStringLiteral("a page of the wizard"),
               {required(QStringLiteral("id"), kind(Kind::Id), QStringLiteral("the stage's id"))},
               {once(display), any(QStringLiteral("stage-description")),
                any(QStringLiteral("valid-conditions")), any(QStringLiteral("continue-conditions")),
                any(QStringLiteral("initialization")), any(QStringLiteral("ui")),
                any(QStringLiteral("sub-stages"))},
               true));
    add(simple(QStringLiteral("stage-description"),
               QStringLiteral("a description shown beside the page"),
               {required(QStringLiteral("file"), kind(Kind::DescriptionFile),
                         QStringLiteral("a file in the translation directory"))}));
    add(simple(QStringLiteral("valid-conditions"),
               QStringLiteral("when the stage or element is part of the wizard"), {operatorAttr},
               conditions));
    add(simple(QStringLiteral("continue-conditions"), QStringLiteral("when the user may go on"),
               {operatorAttr}, {any(QStringLiteral("var-condition"))}));
    add(simple(
        QStringLiteral("var-condition"), QStringLiteral("a test of a variable"),
        {varId,
         required(QStringLiteral("condition"), keywords(kConditionKeywords),
                  QStringLiteral("the test")),
         attr(QStringLiteral("value"), text(), QStringLiteral("the value or choice id tested"))}));
    add(simple(QStringLiteral("stage-condition"),
               QStringLiteral("whether an earlier stage was shown"),
               {required(QStringLiteral("stage_id"), kind(Kind::StageRef),
                         QStringLiteral("an earlier stage")),
                required(QStringLiteral("condition"),
                         keywords({QStringLiteral("shown"), QStringLiteral("not-shown")}),
                         QStringLiteral("the test"))}));
    add(simple(QStringLiteral("initialization"),
               QStringLiteral("actions run when the stage is entered"), {}, actionList));
    add(simple(QStringLiteral("ui"), QStringLiteral("the page's controls and elements"), {},
               {any(QStringLiteral("cancel")), any(QStringLiteral("back")),
                any(QStringLiteral("next")), any(QStringLiteral("finish")),
                any(QStringLiteral("ui-element"))}));
    for (const char* name : {"cancel", "back", "next"})
        add(simple(QLatin1String(name), QStringLiteral("a navigation control and its label"),
                   {attr(QStringLiteral("visible"), text(),
                         QStringLiteral("\"yes\" (or absent): shown; any other value hides it"))},
                   {once(display)}, true));
    add(simple(QStringLiteral("finish"),
               QStringLiteral("makes this the last page: Done instead of Next"), {},
               {once(display)}, true));
    add(simple(QStringLiteral("ui-element"), QStringLiteral("one thing shown on the page"), {},
               {once(QStringLiteral("valid-conditions")), any(QStringLiteral("input-element")),
                any(QStringLiteral("output-element"))}));
    add(simple(QStringLiteral("input-element"), QStringLiteral("an input"), {},
               {any(QStringLiteral("variable-input"))}));
    add(simple(QStringLiteral("variable-input"), QStringLiteral("asks for a variable"), {varId}));
    add(simple(QStringLiteral("output-element"),
               QStringLiteral("an output; its display text is its title"), {},
               {once(display), any(QStringLiteral("variable-output")),
                any(QStringLiteral("action-sequence")), any(QStringLiteral("text-output")),
                any(QStringLiteral("install-sequence")), any(QStringLiteral("action-launcher"))},
               true));
    add(simple(QStringLiteral("variable-output"), QStringLiteral("shows a variable"), {varId}));
    add(simple(QStringLiteral("action-sequence"),
               QStringLiteral("actions run when the stage is entered, with their progress"),
               {attr(QStringLiteral("output"),
                     keywords({QStringLiteral("progress"), QStringLiteral("text")}),
                     QStringLiteral("a progress bar (default) or the programs' output"))},
               {any(QStringLiteral("actionID"))}));
    add(simple(QStringLiteral("actionID"), QStringLiteral("an action of the sequence"),
               {actionId}));
    add(simple(QStringLiteral("text-output"), QStringLiteral("shows the element's display text")));
    add(simple(QStringLiteral("install-sequence"),
               QStringLiteral("sequences run one after the other"), {},
               {any(QStringLiteral("installaction-sequence"))}));
    add(simple(
        QStringLiteral("installaction-sequence"),
        QStringLiteral("one sequence of the installation"), {},
        {once(display), once(QStringLiteral("valid-conditions")), any(QStringLiteral("actionID"))},
        true));
    add(simple(QStringLiteral("action-launcher"), QStringLiteral("a button that runs an action"),
               {actionId}));
    add(simple(QStringLiteral("sub-stages"), QStringLiteral("stages below this one"), {},
               {any(QStringLiteral("stage"))}));
    return e;
}

QList<ActionType> buildActionTypes() {
    const Value flag = kind(Kind::Flag);
    const Value files = kind(Kind::CommaList);
    QList<ActionType> t;
    t.append({QStringLiteral("gethostname"), QStringLiteral("the host name or a part of it"),
              actionOptions({must(QStringLiteral("rtype"),
                                  keywords({QStringLiteral("fqdn"), QStringLiteral("domain"),
                                            QStringLiteral("toplevel")}),
                                  QStringLiteral("which part"))})});
    // The value of an action that runs a program, unless the action has one of its own.
    const Option rval =
        opt(QStringLiteral("rval"), keywords({QStringLiteral("stdout")}),
            QStringLiteral("\"stdout\": the action's value (for var-init) is the program's "
                           "standard output"));
    QList<Option> process = programOptions(
        {rval,
         must(QStringLiteral("process"), refs(), QStringLiteral("the program, on PATH or a path")),
         opt(QStringLiteral("template-file"), kind(Kind::OptionList),
             QStringLiteral(
                 "argument options whose values are template files, separated by \",\""))});
    process.prepend({QStringLiteral("arg"), QStringLiteral("arg[1-9][0-9]*"), refs(), false,
                     QStringLiteral("the arguments arg1, arg2, ... in order")});
    t.append({QStringLiteral("process"), QStringLiteral("runs a program"), process});
    t.append(
        {QStringLiteral("file-edit"), QStringLiteral("changes a text file"),
         actionOptions(
             {must(QStringLiteral("file"), refs(), QStringLiteral("the file")),
              must(QStringLiteral("action"),
                   keywords({QStringLiteral("replace"), QStringLiteral("add_newline")}),
                   QStringLiteral("what to do")),
              opt(QStringLiteral("newstring"), refs(), QStringLiteral("the new text or line")),
              opt(QStringLiteral("replace_regexp"), text(), QStringLiteral("replace: the pattern")),
              opt(QStringLiteral("fallback"), keywords({QStringLiteral("append")}),
                  QStringLiteral("replace: \"append\" adds the text when nothing matches")),
              opt(QStringLiteral("unique_regexp"), text(),
                  QStringLiteral("add_newline: a match means the line is there")),
              opt(QStringLiteral("append_regexp"), text(),
                  QStringLiteral("add_newline: the line goes after the first match"))})});
    t.append(
        {QStringLiteral("file-install"),
         QStringLiteral("copies a file from the resources, or deletes one"),
         actionOptions(
             {opt(QStringLiteral("action"),
                  keywords({QStringLiteral("install"), QStringLiteral("remove")}),
                  QStringLiteral("install (default) or remove")),
              must(QStringLiteral("file"), refs(),
                   QStringLiteral("install: a file in the resource directory; remove: the path")),
              opt(QStringLiteral("install-location"), refs(),
                  QStringLiteral("install: the destination")),
              opt(QStringLiteral("template"), flag,
                  QStringLiteral("\"true\": $$id$$ references are filled in"))})});
    t.append({QStringLiteral("rpm"), QStringLiteral("installs, removes or queries packages"),
              programOptions({must(QStringLiteral("command"),
                                   keywords({QStringLiteral("install"), QStringLiteral("remove"),
                                             QStringLiteral("query")}),
                                   QStringLiteral("what to do")),
                              must(QStringLiteral("rpms"), files,
                                   QStringLiteral("package names, separated by \",\"")),
                              opt(QStringLiteral("arch"), refs(),
                                  QStringLiteral("the architecture (default i386)")),
                              opt(QStringLiteral("extra-args"), kind(Kind::ReferenceList),
                                  QStringLiteral("further rpm arguments, separated by \",\"")),
                              opt(QStringLiteral("version"), text(),
                                  QStringLiteral("query: the version the package must have"))})});
    t.append(
        {QStringLiteral("check-java"), QStringLiteral("finds a Java runtime of a minimum version"),
         programOptions(
             {rval,
              opt(QStringLiteral("java_exe"), text(), QStringLiteral("the program (default java)")),
              opt(QStringLiteral("version"), kind(Kind::Version),
                  QStringLiteral("the least version"))})});
    t.append({QStringLiteral("check-process"), QStringLiteral("checks that a program is running"),
              programOptions({rval, must(QStringLiteral("name"), refs(),
                                         QStringLiteral("the program's command name"))})});
    t.append(
        {QStringLiteral("pause"), QStringLiteral("waits"),
         actionOptions(
             {must(QStringLiteral("time"), kind(Kind::Integer), QStringLiteral("milliseconds")),
              opt(QStringLiteral("progress-interval"), kind(Kind::Integer),
                  QStringLiteral("milliseconds between two progress steps (default 1000)"))})});
    t.append({QStringLiteral("server-connect"), QStringLiteral("checks that a TCP service answers"),
              actionOptions({must(QStringLiteral("name"), refs(), QStringLiteral("the host")),
                             must(QStringLiteral("port"), refs(), QStringLiteral("the port"))})});
    t.append({QStringLiteral("read-file"), QStringLiteral("reads a value from a key=value file"),
              actionOptions({must(QStringLiteral("type"), keywords({QStringLiteral("key=value")}),
                                  QStringLiteral("the file's form")),
                             must(QStringLiteral("file"), text(), QStringLiteral("the file")),
                             must(QStringLiteral("name"), text(), QStringLiteral("the key")),
                             opt(QStringLiteral("comment-chars"), kind(Kind::CommaList),
                                 QStringLiteral("comment markers, separated by \",\"")),
                             opt(QStringLiteral("default"), text(),
                                 QStringLiteral("the value when none is found"))})});
    t.append({QStringLiteral("var-modifier"), QStringLiteral("sets a variable"),
              actionOptions(
                  {must(QStringLiteral("var_id"), kind(Kind::VariableRef),
                        QStringLiteral("the variable")),
                   opt(QStringLiteral("newstring"), refs(), QStringLiteral("the new value"))})});
    t.append({QStringLiteral("var-initializer"),
              QStringLiteral("sets a variable from another action's result"),
              actionOptions({must(QStringLiteral("var_id"), kind(Kind::VariableRef),
                                  QStringLiteral("the variable")),
                             must(QStringLiteral("action_id"), kind(Kind::ActionRef),
                                  QStringLiteral("the action run")),
                             opt(QStringLiteral("prepend-data"), text(),
                                 QStringLiteral("text before the result")),
                             opt(QStringLiteral("append-data"), text(),
                                 QStringLiteral("text after the result"))})});
    t.append({QStringLiteral("generate-password"), QStringLiteral("a random password"),
              actionOptions({opt(QStringLiteral("length"), kind(Kind::Unsigned),
                                 QStringLiteral("characters (default 12)")),
                             opt(QStringLiteral("min"), kind(Kind::Integer),
                                 QStringLiteral("the lowest character code")),
                             opt(QStringLiteral("max"), kind(Kind::Integer),
                                 QStringLiteral("the highest character code"))})});
    t.append({QStringLiteral("load-environment-variable"),
              QStringLiteral("the value of an environment variable"),
              actionOptions({must(QStringLiteral("environment-variable"), text(),
                                  QStringLiteral("its name"))})});
    return t;
}

QList<Option> buildViewerOptions() {
    const Value colour = kind(Kind::Colour);
    const Value image = kind(Kind::ResourceFile);
    QList<Option> o;
    o.append(opt(QStringLiteral("mdi-mode"), kind(Kind::Flag),
                 QStringLiteral("\"true\": the wizard is a window in a workspace")));
    o.append(opt(QStringLiteral("size"),
                 keywords({QStringLiteral("half-screen"), QStringLiteral("maximized"),
                           QStringLiteral("full-screen")}),
                 QStringLiteral("how the window is shown")));
    o.append(opt(QStringLiteral("bg-type"),
                 keywords({QStringLiteral("color"), QStringLiteral("tiled"), QStringLiteral("img"),
                           QStringLiteral("img-color-overlay")}),
                 QStringLiteral("the workspace background")));
    o.append(opt(QStringLiteral("bg-color"), colour, QStringLiteral("the background colour")));
    o.append(opt(QStringLiteral("bg-img"), image, QStringLiteral("the background image")));
    o.append(opt(QStringLiteral("overlay-pos"),
                 keywords({QStringLiteral("UL"), QStringLiteral("U"), QStringLiteral("UR"),
                           QStringLiteral("LL"), QStringLiteral("L"), QStringLiteral("LR")}),
                 QStringLiteral("where the image goes on the colour")));
    o.append(opt(QStringLiteral("view-options"), keywords({QStringLiteral("titlebar")}),
                 QStringLiteral("\"titlebar\": the wizard's window gets a title bar")));
    o.append(
        opt(QStringLiteral("show-splash"), text(), QStringLiteral("any value: a loading screen")));
    o.append(
        opt(QStringLiteral("splash-img"), image, QStringLiteral("the loading screen's image")));
    o.append(opt(QStringLiteral("description-location"),
                 keywords({QStringLiteral("top"), QStringLiteral("left"), QStringLiteral("right")}),
                 QStringLiteral("where a stage's description goes")));
    o.append(opt(
        QStringLiteral("qt-style"),
        keywords({QStringLiteral("platinum"), QStringLiteral("windows"), QStringLiteral("motif"),
                  QStringLiteral("motif-plus"), QStringLiteral("cde")}),
        QStringLiteral("the look of the window")));
    o.append({QStringLiteral("palette-"),
              QStringLiteral(
                  "palette-(active|inactive|disabled)-(Foreground|Button|Light|Midlight|Dark|Mid|"
                  "Text|BrightText|ButtonText|Base|Background|Shadow|Highlight|HighlightedText)"),
              colour, false, QStringLiteral("a colour of the window's palette")});
    return o;
}

bool matches(const Option& option, const QString& name) {
    if (option.pattern.isEmpty())
        return option.name == name;
    const QRegularExpression re(QRegularExpression::anchoredPattern(option.pattern));
    return re.match(name).hasMatch();
}

} // namespace

const QList<Element>& elements() {
    static const QList<Element> rules = buildElements();
    return rules;
}

const Element* element(const QString& key) {
    for (const Element& e : elements())
        if (e.key == key)
            return &e;
    return nullptr;
}

const QList<ActionType>& actionTypes() {
    static const QList<ActionType> types = buildActionTypes();
    return types;
}

const ActionType* actionType(const QString& type) {
    for (const ActionType& t : actionTypes())
        if (t.type == type)
            return &t;
    return nullptr;
}

const Option* actionOption(const ActionType& type, const QString& name) {
    for (const Option& o : type.options)
        if (matches(o, name))
            return &o;
    return nullptr;
}

const QList<Option>& viewerOptions() {
    static const QList<Option> options = buildViewerOptions();
    return options;
}

const Option* viewerOption(const QString& name) {
    for (const Option& o : viewerOptions())
        if (matches(o, name))
            return &o;
    return nullptr;
}

const QStringList& variableConditions() {
    return kConditionKeywords;
}

} // namespace SV_InstallSchema
