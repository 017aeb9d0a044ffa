// Fills one template file the way a process or file-install action does: one text
// variable "InstallDir" is defined, the application object exists (so the filling
// yields to the event loop as in the program), and the output goes to the named file.
#include "sv_engine.h"
#include "sv_variable.h"
#include "sv_variableregexp.h"

#include <QCoreApplication>
#include "sv_xmltree.h"
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: vantor_template_bench <InstallDir value> <template> <output>\n");
        return 2;
    }
    SV_XmlDocument doc;
    doc.setContent("<installation><variables><variable id=\"InstallDir\">"
                   "<data-type><text-data/></data-type></variable></variables></installation>");
    SV_Engine* engine = SV_Engine::engine();
    engine->loadVariables(doc.documentElement());
    engine->variable(QStringLiteral("InstallDir"))->storeValue({QString::fromLocal8Bit(argv[1])});

    QString output = QString::fromLocal8Bit(argv[3]);
    QElapsedTimer timer;
    timer.start();
    const bool ok = SV_VariableRegExp::fixTemplateFile(QString::fromLocal8Bit(argv[2]), output);
    std::fprintf(stderr, "fixTemplateFile: %lld ms\n", static_cast<long long>(timer.elapsed()));
    return ok ? 0 : 1;
}
