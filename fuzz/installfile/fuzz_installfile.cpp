// Fuzz target: an install file loaded by init() to the end of the pre-install list.
//
// Each input runs in a process of its own (the engine is a singleton whose init() runs once
// and whose fatal messages end the process). The run is a console run without a console
// viewer, so it ends after the pre-install actions with the fatal "no viewer" message, or
// earlier with another fatal message: both are normal ends. A crash, a sanitizer report or
// a run past the time limit is a finding.
//
// Actions that reach outside the process (programs, files, packages, the network, waiting
// for the user) are not run: an input that declares one is skipped, judged on the same
// document the engine would build.
#include "fuzz_fork.h"
#include "sv_engine.h"
#include "sv_engine_messagehandler.h"
#include "sv_xmltree.h"

#include <QCoreApplication>
#include <QSet>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

bool declaresOutsideAction(const QByteArray& content) {
    SV_XmlDocument document;
    if (!document.setContent(content))
        return false; // refused before any action is built
    static const QSet<QString> outside = {
        QStringLiteral("process"),      QStringLiteral("file-edit"),
        QStringLiteral("file-install"), QStringLiteral("rpm"),
        QStringLiteral("check-java"),   QStringLiteral("check-process"),
        QStringLiteral("pause"),        QStringLiteral("server-connect"),
        QStringLiteral("read-file")};
    // Every element, depth first.
    std::vector<SV_XmlNode> pending{document.documentElement()};
    while (!pending.empty()) {
        const SV_XmlNode e = pending.back();
        pending.pop_back();
        if (outside.contains(e.attribute(QStringLiteral("type"))))
            return true;
        for (SV_XmlNode c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement())
            pending.push_back(c);
    }
    return false;
}

// The input's file, in a directory of the fuzzing process.
const std::string& inputPath() {
    return quorellefuzz::scratchFile("fuzz-installfile", "install.xml");
}

void loadInChild(const QByteArray& content, const std::string& path) {
    installVantorMessageHandler();
    static int argc = 1;
    static char name[] = "vantor";
    static char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    if (declaresOutsideAction(content))
        std::_Exit(0);

    SV_Engine* engine = SV_Engine::engine();
    engine->setConsoleMode(true);
    engine->setInstallFile(QString::fromStdString(path));
    engine->init();
    app.exec();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::string& path = inputPath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(content.constData(), content.size());
        if (!out)
            std::abort();
    }
    quorellefuzz::runInChild([&content, &path] { loadInChild(content, path); });
    return 0;
}
