#ifndef SV_QTLOGVIEWER_H
#define SV_QTLOGVIEWER_H

#include "sv_logger.h"

#include <QPushButton>
#include <QWidget>

#include <functional>

class QButtonGroup;
class QTextBrowser;
class QVBoxLayout;

// The installation log window: one button per message type, each click renders the
// engine's log of that type anew; "Save To File" writes the plain text of all messages.
class SV_QtLogViewer : public QWidget {
    Q_OBJECT
public:
    // A type button: remembers the kind of messages it selects.
    class SV_QtLogButton : public QPushButton {
    public:
        SV_QtLogButton(const QString& text, SV_LogMessageType type, QWidget* parent)
            : QPushButton(text, parent), m_type(type) {}
        SV_LogMessageType type() const { return m_type; }

    private:
        SV_LogMessageType m_type;
    };

    explicit SV_QtLogViewer(QWidget* parent = nullptr, const char* name = nullptr);

    void setText(const QString& text);
    QTextBrowser* textView() const { return m_textView; }
    QButtonGroup* buttonGroup() const { return m_buttonGroup; }

    // Asks for the file name to save to; replaceable so that tests need no file dialog.
    using FileNameAsker = std::function<QString(QWidget* parent, const QString& start)>;
    static void setFileNameAsker(FileNameAsker asker);

protected:
    void keyPressEvent(QKeyEvent* event) override;

public slots:
    void slot_saveToFile();
    void slot_getLog(int id);

private:
    QTextBrowser* m_textView = nullptr;
    QVBoxLayout* m_layout = nullptr;
    QButtonGroup* m_buttonGroup = nullptr;
};

#endif
