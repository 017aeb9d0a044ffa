#ifndef SV_CONSOLETERMINAL_H
#define SV_CONSOLETERMINAL_H

#include <QByteArray>
#include <QString>

// The console viewer's terminal: standard input and output, whether each is a terminal,
// the width to wrap to, line input (optionally without echo) and a progress line that is
// redrawn in place on a terminal and printed as a few plain lines otherwise. Text is
// written and read in UTF-8; nothing written shows a secret (SV_Secrets).
class SV_ConsoleTerminal {
public:
    SV_ConsoleTerminal();
    ~SV_ConsoleTerminal();
    SV_ConsoleTerminal(const SV_ConsoleTerminal&) = delete;
    SV_ConsoleTerminal& operator=(const SV_ConsoleTerminal&) = delete;

    bool inputIsTerminal() const { return m_inputTty; }
    bool outputIsTerminal() const { return m_outputTty; }
    // Columns of the output terminal (asked anew each time: the window may be resized);
    // COLUMNS or 80 when standard output is no terminal.
    int width() const;

    // Writes the text as it is; ends an open progress line first.
    void write(const QString& text);
    // Writes the text word-wrapped to the width, each line indented, ended by a newline.
    void writeWrapped(const QString& text, int indent = 0);
    // Writes the prompt and reads one line (without its line end). False at the end of
    // input (Ctrl-D) or on a read error. hidden: the typed text is not echoed.
    bool readLine(const QString& prompt, QString& line, bool hidden = false);
    // Everything standard input holds (the answer file); empty when it is closed.
    QByteArray readAll();

    // Progress of a job: percent 0..100 with a title. On a terminal one line redrawn in
    // place, cut to the width; otherwise a plain line when the job starts and at each
    // quarter passed.
    void progress(const QString& title, int percent);
    // Ends the progress line of the job (a newline on a terminal).
    void endProgress();

    // Word-wraps text to a width in columns; a word longer than the width is cut.
    static QStringList wrap(const QString& text, int width);
    // The columns a text takes on a terminal: East Asian wide characters take two,
    // combining marks none, every other character one.
    static int columns(const QString& text);
    // The longest start of the text that fits into width columns.
    static QString leftColumns(const QString& text, int width);

private:
    bool m_inputTty = false;
    bool m_outputTty = false;
    bool m_progressOpen = false;
    QString m_progressTitle;
    int m_progressQuarter = -1;
};

#endif
