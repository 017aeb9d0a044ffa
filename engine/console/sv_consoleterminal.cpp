#include "sv_consoleterminal.h"

#include "sv_secrets.h"

#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Terminal settings to restore when the process is interrupted while echo is off.
struct termios s_savedTermios;
volatile sig_atomic_t s_echoOff = 0;

void restoreAndRaise(int sig) {
    if (s_echoOff)
        tcsetattr(STDIN_FILENO, TCSANOW, &s_savedTermios);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void writeAll(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        p += n;
        left -= n;
    }
}

} // namespace

SV_ConsoleTerminal::SV_ConsoleTerminal()
    : m_inputTty(isatty(STDIN_FILENO) == 1), m_outputTty(isatty(STDOUT_FILENO) == 1) {}

SV_ConsoleTerminal::~SV_ConsoleTerminal() {
    endProgress();
}

int SV_ConsoleTerminal::width() const {
    if (m_outputTty) {
        struct winsize ws;
        if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0)
            return std::max(20, int(ws.ws_col));
    }
    bool ok = false;
    const int columns = qEnvironmentVariableIntValue("COLUMNS", &ok);
    return ok && columns >= 20 ? columns : 80;
}

void SV_ConsoleTerminal::write(const QString& text) {
    endProgress();
    writeAll(STDOUT_FILENO, SV_Secrets::hide(text).toUtf8());
}

int SV_ConsoleTerminal::columns(const QString& text) {
    int n = 0;
    for (const char32_t c : text.toUcs4()) {
        const auto category = QChar::category(c);
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing ||
            (c >= 0x200B && c <= 0x200F))
            continue; // drawn on the character before
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
                          (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
                          (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
                          (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                          (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                          (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
                          (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
        n += wide ? 2 : 1;
    }
    return n;
}

QString SV_ConsoleTerminal::leftColumns(const QString& text, int width) {
    QString out;
    int used = 0;
    for (const char32_t c : text.toUcs4()) {
        const QString piece = QString::fromUcs4(&c, 1);
        const int w = columns(piece);
        if (used + w > width)
            break;
        out += piece;
        used += w;
    }
    return out;
}

QStringList SV_ConsoleTerminal::wrap(const QString& text, int width) {
    QStringList lines;
    width = std::max(2, width); // a wide character needs two columns
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (const QString& paragraph : paragraphs) {
        const QStringList words = paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QString line;
        for (QString word : words) {
            while (columns(word) > width) {
                if (!line.isEmpty()) {
                    lines << line;
                    line.clear();
                }
                const QString head = leftColumns(word, width);
                lines << head;
                word = word.mid(head.size());
            }
            if (word.isEmpty())
                continue;
            if (line.isEmpty())
                line = word;
            else if (columns(line) + 1 + columns(word) <= width)
                line += QLatin1Char(' ') + word;
            else {
                lines << line;
                line = word;
            }
        }
        lines << line;
    }
    return lines;
}

void SV_ConsoleTerminal::writeWrapped(const QString& text, int indent) {
    const QString pad(indent, QLatin1Char(' '));
    QString out;
    for (const QString& line : wrap(text, width() - 1 - indent))
        out += (line.isEmpty() ? QString() : pad + line) + QLatin1Char('\n');
    write(out);
}

bool SV_ConsoleTerminal::readLine(const QString& prompt, QString& line, bool hidden) {
    // Echo goes off before the prompt appears, so nothing typed after it is shown; the
    // settings change at once (TCSANOW), so text typed ahead is kept.
    endProgress();
    const bool echoOff = hidden && m_inputTty;
    if (echoOff) {
        struct termios t;
        if (tcgetattr(STDIN_FILENO, &t) == 0) {
            s_savedTermios = t;
            t.c_lflag &= ~tcflag_t(ECHO);
            std::signal(SIGINT, restoreAndRaise);
            std::signal(SIGTERM, restoreAndRaise);
            std::signal(SIGHUP, restoreAndRaise);
            tcsetattr(STDIN_FILENO, TCSANOW, &t);
            s_echoOff = 1;
        }
    }
    writeAll(STDOUT_FILENO, SV_Secrets::hide(prompt).toUtf8());
    QByteArray bytes;
    bool ended = false;
    for (;;) {
        char c;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ended = true;
            break;
        }
        if (c == '\n')
            break;
        bytes += c;
    }
    if (s_echoOff) {
        tcsetattr(STDIN_FILENO, TCSANOW, &s_savedTermios);
        s_echoOff = 0;
        writeAll(STDOUT_FILENO, "\n"); // the Enter that was not echoed
    }
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    line = QString::fromUtf8(bytes);
    // A last line without its line end still counts; only an empty end is the end.
    return !(ended && bytes.isEmpty());
}

QByteArray SV_ConsoleTerminal::readAll() {
    QByteArray all;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the end, or a closed descriptor (EBADF): what was read is all
        all.append(buffer, n);
    }
    return all;
}

void SV_ConsoleTerminal::progress(const QString& title, int percent) {
    percent = std::clamp(percent, 0, 100);
    if (m_outputTty) {
        const int w = width() - 1;
        const int barWidth = std::clamp(w / 4, 10, 30);
        const int filled = barWidth * percent / 100;
        QString line = QStringLiteral("[%1%2] %3% ")
                           .arg(QString(filled, QLatin1Char('#')),
                                QString(barWidth - filled, QLatin1Char(' ')))
                           .arg(percent, 3) +
                       SV_Secrets::hide(title);
        line = leftColumns(line, w);
        line += QString(w - columns(line), QLatin1Char(' '));
        writeAll(STDOUT_FILENO, "\r" + line.toUtf8());
        m_progressOpen = true;
        return;
    }
    const int quarter = percent / 25;
    if (title != m_progressTitle || quarter != m_progressQuarter) {
        if (title != m_progressTitle || quarter > m_progressQuarter)
            writeAll(
                STDOUT_FILENO,
                QStringLiteral("  %1% %2\n").arg(percent, 3).arg(SV_Secrets::hide(title)).toUtf8());
        m_progressTitle = title;
        m_progressQuarter = quarter;
    }
}

void SV_ConsoleTerminal::endProgress() {
    if (m_progressOpen)
        writeAll(STDOUT_FILENO, "\n");
    m_progressOpen = false;
    m_progressTitle.clear();
    m_progressQuarter = -1;
}
