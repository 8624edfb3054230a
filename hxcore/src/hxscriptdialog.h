#pragma once

#include "hxcore/hxscriptmessagebox.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>

class QBoxLayout;
class QLabel;
class QPushButton;
class QTabWidget;
class QWidget;

// A dialog that a script builds ("new Dialog( caption )"): pages shown as
// tabs, a help line and the accept and cancel buttons. exec() shows it and
// tells whether the person accepted; when nobody is at the screen (the
// engine is not interactive) it is not shown and counts as accepted with
// what its widgets hold. Scripts own these objects. See docs/scripting.md.
class HxScriptDialog : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(QString helpText READ helpText WRITE setHelpText)
    Q_PROPERTY(QString acceptText READ acceptText WRITE setAcceptText)
    Q_PROPERTY(QString cancelText READ cancelText WRITE setCancelText)
    Q_PROPERTY(int margin READ margin WRITE setMargin)
    Q_PROPERTY(int spacing READ spacing WRITE setSpacing)
public:
    HxScriptDialog(const QString& caption, HxScriptMessageBox* answers, QObject* parent = nullptr);
    ~HxScriptDialog() override;

    QDialog* dialog() const { return m_dialog; }

    QString caption() const;
    void setCaption(const QString& caption);
    QString helpText() const;
    void setHelpText(const QString& text);
    QString acceptText() const;
    void setAcceptText(const QString& text);
    QString cancelText() const;
    void setCancelText(const QString& text);
    // Of the layouts of pages, rows and groups made from now on.
    int margin() const { return m_margin; }
    void setMargin(int margin) { m_margin = margin; }
    int spacing() const { return m_spacing; }
    void setSpacing(int spacing) { m_spacing = spacing; }

    // Gives the widget a box layout with the dialog's margin and spacing.
    QBoxLayout* makeLayout(QWidget* widget, Qt::Orientation orientation) const;

    // A new tab; a container (see HxScriptWidget).
    Q_INVOKABLE QObject* addPage(const QString& title);
    // True when the person accepted.
    Q_INVOKABLE bool exec();

public slots:
    void accept();
    void reject();

private:
    // The main window, as its parent, may delete it first.
    QPointer<QDialog> m_dialog;
    QTabWidget* m_pages;
    QLabel* m_help;
    QPushButton* m_accept;
    QPushButton* m_cancel;
    QPointer<HxScriptMessageBox> m_answers;
    int m_margin = 5;
    int m_spacing = 5;
};
