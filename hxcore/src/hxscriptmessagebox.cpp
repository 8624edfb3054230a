#include "hxcore/hxscriptmessagebox.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxmainwindow.h"

#include <QMessageBox>
#include <QPushButton>

HxScriptMessageBox::HxScriptMessageBox(QObject* parent) : QObject(parent) {}

HxScriptMessageBox::~HxScriptMessageBox() = default;

int HxScriptMessageBox::information(const QString& text, const QString& caption, const QString& button0,
                                    const QString& button1, const QString& button2)
{
    return show(QMessageBox::Information, text, caption, {button0, button1, button2});
}

int HxScriptMessageBox::warning(const QString& text, const QString& caption, const QString& button0,
                                const QString& button1, const QString& button2)
{
    return show(QMessageBox::Warning, text, caption, {button0, button1, button2});
}

int HxScriptMessageBox::critical(const QString& text, const QString& caption, const QString& button0,
                                 const QString& button1, const QString& button2)
{
    return show(QMessageBox::Critical, text, caption, {button0, button1, button2});
}

int HxScriptMessageBox::question(const QString& text, const QString& caption, const QString& button0,
                                 const QString& button1, const QString& button2)
{
    return show(QMessageBox::Question, text, caption, {button0, button1, button2});
}

int HxScriptMessageBox::show(int icon, const QString& text, const QString& caption,
                             const QStringList& buttons)
{
    m_lastText = text;
    m_lastCaption = caption;
    ++m_numMessages;
    emit messageShown(text, caption);
    if (!m_interactive) {
        qWarning("%s: %s", qPrintable(caption), qPrintable(text));
        return 0;
    }

    QWidget* parent = hxApp ? hxApp->getInterface() : nullptr;
    QMessageBox box(QMessageBox::Icon(icon), caption, text, QMessageBox::NoButton, parent);
    // Scripts pass "" for the buttons they do not want; a box needs at least
    // one way out.
    QList<QAbstractButton*> added;
    for (const QString& label : buttons)
        added << (label.isEmpty() ? nullptr : box.addButton(label, QMessageBox::AcceptRole));
    if (std::all_of(added.begin(), added.end(), [](QAbstractButton* b) { return b == nullptr; }))
        added[0] = box.addButton(QMessageBox::Ok);
    box.exec();
    const int index = int(added.indexOf(box.clickedButton()));
    return index < 0 ? 0 : index;
}
