// Expands the text given as the first argument, with one known variable "known", and
// prints the result: an unknown reference ends the program through the fatal path.
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_testsupport.h"
#include "sv_variableregexp.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    vantortest::installMessageHandler();
    SV_Engine::engine()->loadVariables(vantortest::parseXml(
        R"(<i><variables><variable id="known" default="ok"><data-type><text-data/></data-type>
           </variable></variables></i>)"));
    QString text = QString::fromLocal8Bit(argc > 1 ? argv[1] : "");
    SV_VariableRegExp::fixString(text);
    std::printf("%s\n", text.toLocal8Bit().constData());
    return 0;
}
