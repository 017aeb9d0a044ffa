#include "sv_exitcleanup.h"

#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Plain C++ strings on the heap, never freed: the list must outlive every other static
// object, since it is read while the process ends.
std::vector<std::string>& pending() {
    static auto* files = new std::vector<std::string>;
    return *files;
}

void removePending() {
    for (const std::string& file : pending())
        ::unlink(file.c_str());
    pending().clear();
}

} // namespace

void SV_ExitCleanup::add(const QString& path) {
    static const bool registered = std::atexit(removePending) == 0;
    Q_UNUSED(registered);
    pending().push_back(QFile::encodeName(path).toStdString());
}

void SV_ExitCleanup::remove(const QString& path) {
    const std::string name = QFile::encodeName(path).toStdString();
    std::vector<std::string>& files = pending();
    const auto it = std::find(files.begin(), files.end(), name);
    if (it != files.end())
        files.erase(it);
}
