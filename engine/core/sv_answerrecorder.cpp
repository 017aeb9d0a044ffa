#include "sv_answerrecorder.h"

#include "sv_choicevariable.h"
#include "sv_passwordvariable.h"
#include "sv_stage.h"
#include "sv_uielement.h"
#include "sv_variable.h"
#include "sv_wizard.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A comment line: line breaks in the text would end it.
QString comment(const QString& text) {
    QString oneLine = text;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '))
        .replace(QLatin1Char('\r'), QLatin1Char(' '));
    return QStringLiteral("# ") + oneLine + QLatin1Char('\n');
}

// The display texts of the selected choices, for the reader of the file.
QString chosenTexts(SV_Variable* variable) {
    if (!qobject_cast<SV_ChoiceVariable*>(variable))
        return QString();
    QStringList texts;
    auto it = variable->choiceIterator();
    while (it.hasNext()) {
        SV_Choice* c = it.next();
        if (c->selected)
            texts.append(c->text().isEmpty() ? c->ID() : c->text());
    }
    if (qobject_cast<SV_ProfileVariable*>(variable))
        return variable->value();
    return texts.join(QStringLiteral(", "));
}

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

SV_AnswerRecorder::SV_AnswerRecorder(const QString& path, bool secrets, QObject* parent)
    : QObject(parent), m_path(path), m_secrets(secrets) {}

void SV_AnswerRecorder::attach(SV_Wizard* wizard) {
    if (!wizard || m_wizard == wizard)
        return;
    m_wizard = wizard;
    connect(wizard, &SV_Wizard::sig_stagePassed, this, &SV_AnswerRecorder::stagePassed);
}

void SV_AnswerRecorder::stagePassed(SV_Stage* stage) {
    if (!stage)
        return;
    for (SV_UIElement* element : stage->uiElements()) {
        auto* input = qobject_cast<SV_UIVariableInput*>(element);
        if (!input || !input->variable() || !element->isValid())
            continue;
        SV_Variable* variable = input->variable();
        Answer answer;
        answer.id = variable->ID();
        answer.label = SV_Wizard::variableLabel(variable);
        answer.shown = chosenTexts(variable);
        answer.answer = variable->formatAnswer();
        answer.password = qobject_cast<SV_PasswordVariable*>(variable) != nullptr;
        // A variable shown again keeps its first place and takes the later value.
        bool known = false;
        for (Answer& a : m_answers)
            if (a.id == answer.id) {
                a = answer;
                known = true;
            }
        if (!known)
            m_answers.append(answer);
    }
}

QString SV_AnswerRecorder::text() const {
    QString out = QStringLiteral(
        "# Answers recorded by vantor. Replay them unattended with\n"
        "#   vantor --console --answers FILE INSTALL_FILE\n"
        "# One VARIABLE_ID=value a line; a value is everything after the first \"=\".\n");
    for (const Answer& a : m_answers) {
        out += QLatin1Char('\n');
        QString label = a.label;
        if (!a.shown.isEmpty())
            label += QStringLiteral(": ") + a.shown;
        if (a.password && !m_secrets) {
            out += comment(label +
                           QStringLiteral(" (a password: not recorded; give it here, or record "
                                          "with --record-secrets)"));
            out += QStringLiteral("#") + a.id + QStringLiteral("=\n");
            continue;
        }
        if (a.answer.isNull()) {
            out += comment(label + QStringLiteral(" (no value was chosen)"));
            out += QStringLiteral("#") + a.id + QStringLiteral("=\n");
            continue;
        }
        if (a.answer.contains(QLatin1Char('\n')) || a.answer.contains(QLatin1Char('\r'))) {
            out += comment(label +
                           QStringLiteral(" (the value holds a line break, which an answer file "
                                          "cannot hold: not recorded)"));
            out += QStringLiteral("#") + a.id + QStringLiteral("=\n");
            continue;
        }
        out += comment(label);
        out += a.id + QLatin1Char('=') + a.answer + QLatin1Char('\n');
    }
    return out;
}

bool SV_AnswerRecorder::write() {
    bool secret = false;
    for (const Answer& a : std::as_const(m_answers))
        secret = secret || (a.password && m_secrets && !a.answer.isNull());
    const QByteArray data = text().toUtf8();

    // Into a temporary file beside the target (created readable by its owner only), renamed
    // over it: the target is never half-written, and a secret is never readable by others.
    // A symbolic link is followed: the file it names is replaced, the link stays.
    QFileInfo target(m_path);
    if (target.isSymLink() && !target.canonicalFilePath().isEmpty())
        target = QFileInfo(target.canonicalFilePath());
    const QByteArray dir = QFile::encodeName(target.absolutePath());
    QByteArray name = dir + "/.vantor-answers-XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        m_error = QStringLiteral("cannot create a file in %1: %2")
                      .arg(target.absolutePath(), systemError(errno));
        return false;
    }
    auto fail = [&](const QString& what) {
        m_error = QStringLiteral("cannot write %1: %2: %3").arg(m_path, what, systemError(errno));
        ::close(fd);
        ::unlink(name.constData());
        return false;
    };
    for (qsizetype done = 0; done < data.size();) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(QStringLiteral("write"));
        done += n;
    }
    // The mode: owner only with a secret; else the mode of the file replaced, or the mode a
    // new file gets.
    struct stat old;
    const QByteArray path = QFile::encodeName(target.absoluteFilePath());
    mode_t mode;
    const bool exists = ::stat(path.constData(), &old) == 0;
    if (secret) {
        mode = 0600;
    } else if (exists) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (exists && ::fchown(fd, old.st_uid, old.st_gid) != 0 && errno != EPERM)
        return fail(QStringLiteral("owner"));
    if (::fchmod(fd, mode) != 0)
        return fail(QStringLiteral("mode"));
    if (::fsync(fd) != 0)
        return fail(QStringLiteral("sync"));
    if (::close(fd) != 0) {
        m_error = QStringLiteral("cannot write %1: %2").arg(m_path, systemError(errno));
        ::unlink(name.constData());
        return false;
    }
    if (::rename(name.constData(), path.constData()) != 0) {
        m_error = QStringLiteral("cannot write %1: %2").arg(m_path, systemError(errno));
        ::unlink(name.constData());
        return false;
    }
    return true;
}
