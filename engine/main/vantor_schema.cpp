// Writes the RELAX NG schema of the install file (from the engine's own description of
// it) to the file named by the only argument; the build installs it beside the program.
#include "sv_installschema.h"

#include <QFile>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantor_schema OUTPUT.rng\n");
        return 2;
    }
    QFile out(QFile::decodeName(argv[1]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(SV_InstallSchema::relaxNG().toUtf8()) < 0 || !out.flush()) {
        std::fprintf(stderr, "vantor_schema: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
