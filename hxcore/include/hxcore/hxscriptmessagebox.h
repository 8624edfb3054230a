#pragma once

#include "hxcore/hxglobal.h"

#include <QObject>
#include <QString>

// The MessageBox object that scripts see. Each call shows a message with up
// to three buttons and returns the index of the button pressed (0 for the
// first). Without a person at the screen (not interactive) the message only
// goes to the log and the first button counts as pressed.
class HXCORE_EXPORT HxScriptMessageBox : public QObject
{
    Q_OBJECT
public:
    explicit HxScriptMessageBox(QObject* parent = nullptr);
    ~HxScriptMessageBox() override;

    void setInteractive(bool interactive) { m_interactive = interactive; }
    bool isInteractive() const { return m_interactive; }
    // The text and caption of the last message, shown or not.
    QString lastText() const { return m_lastText; }
    QString lastCaption() const { return m_lastCaption; }
    int getNumMessages() const { return m_numMessages; }

    Q_INVOKABLE int information(const QString& text, const QString& caption,
                                const QString& button0 = QString(), const QString& button1 = QString(),
                                const QString& button2 = QString());
    Q_INVOKABLE int warning(const QString& text, const QString& caption, const QString& button0 = QString(),
                            const QString& button1 = QString(), const QString& button2 = QString());
    Q_INVOKABLE int critical(const QString& text, const QString& caption, const QString& button0 = QString(),
                             const QString& button1 = QString(), const QString& button2 = QString());
    Q_INVOKABLE int question(const QString& text, const QString& caption, const QString& button0 = QString(),
                             const QString& button1 = QString(), const QString& button2 = QString());

signals:
    void messageShown(const QString& text, const QString& caption);

private:
    int show(int icon, const QString& text, const QString& caption, const QStringList& buttons);

    bool m_interactive = true;
    QString m_lastText;
    QString m_lastCaption;
    int m_numMessages = 0;
};
