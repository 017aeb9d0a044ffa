#include "sv_filereplacer.h"

#include "sv_exitcleanup.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The file a path names, following symbolic links that lead to an existing file.
QString resolveTarget(const QString& target) {
    const QFileInfo info(target);
    if (info.isSymLink() && info.exists())
        return info.canonicalFilePath();
    return target;
}

mode_t defaultMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

SV_FileReplacer::SV_FileReplacer(const QString& target) : m_target(resolveTarget(target)) {}

SV_FileReplacer::~SV_FileReplacer() {
    discard();
}

bool SV_FileReplacer::fail(const QString& what) {
    m_error = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    discard();
    return false;
}

bool SV_FileReplacer::create() {
    discard();
    const QFileInfo info(m_target);
    QByteArray name = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") +
                                        info.fileName() + QStringLiteral(".XXXXXX"));
    m_fd = ::mkstemp(name.data());
    if (m_fd < 0)
        return fail(QStringLiteral("cannot create a temporary file beside ") + m_target);
    m_tempPath = QFile::decodeName(name);
    SV_ExitCleanup::add(m_tempPath);
    return true;
}

bool SV_FileReplacer::write(const QByteArray& data) {
    if (m_fd < 0) {
        m_error = QStringLiteral("no temporary file");
        return false;
    }
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(QStringLiteral("cannot write ") + m_tempPath);
        }
        p += n;
        left -= n;
    }
    return true;
}

bool SV_FileReplacer::commit() {
    if (m_fd < 0) {
        m_error = QStringLiteral("no temporary file");
        return false;
    }
    struct stat old;
    const QByteArray target = QFile::encodeName(m_target);
    if (::stat(target.constData(), &old) == 0) {
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
            ::fchown(m_fd, old.st_uid, old.st_gid) != 0)
            return fail(QStringLiteral("cannot keep the owner of ") + m_target);
        if (::fchmod(m_fd, old.st_mode & 07777) != 0)
            return fail(QStringLiteral("cannot keep the mode of ") + m_target);
    } else if (errno == ENOENT) {
        if (::fchmod(m_fd, defaultMode()) != 0)
            return fail(QStringLiteral("cannot set the mode of ") + m_tempPath);
    } else {
        return fail(QStringLiteral("cannot read the attributes of ") + m_target);
    }
    if (::fsync(m_fd) != 0)
        return fail(QStringLiteral("cannot flush ") + m_tempPath);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return fail(QStringLiteral("cannot close ") + m_tempPath);
    if (::rename(QFile::encodeName(m_tempPath).constData(), target.constData()) != 0)
        return fail(QStringLiteral("cannot rename ") + m_tempPath + QStringLiteral(" to ") +
                    m_target);
    SV_ExitCleanup::remove(m_tempPath);
    m_tempPath.clear();
    return true;
}

void SV_FileReplacer::discard() {
    const int saved = errno;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.isEmpty()) {
        ::unlink(QFile::encodeName(m_tempPath).constData());
        SV_ExitCleanup::remove(m_tempPath);
        m_tempPath.clear();
    }
    errno = saved;
}
