#include "hxscriptdialog.h"

#include "hxscriptwidget.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxscriptmessagebox.h"

#include <QBoxLayout>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

HxScriptDialog::HxScriptDialog(const QString& caption, HxScriptMessageBox* answers, QObject* parent)
    : QObject(parent), m_dialog(new QDialog(hxApp ? hxApp->getInterface() : nullptr)), m_answers(answers)
{
    m_dialog->setObjectName(QStringLiteral("HxScriptDialog"));
    m_dialog->setWindowTitle(caption);
    auto* layout = new QVBoxLayout(m_dialog);
    m_pages = new QTabWidget(m_dialog);
    layout->addWidget(m_pages, 1);
    m_help = new QLabel(m_dialog);
    m_help->setWordWrap(true);
    m_help->hide();
    layout->addWidget(m_help);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_accept = new QPushButton(tr("&OK"), m_dialog);
    m_accept->setObjectName(QStringLiteral("acceptButton"));
    m_accept->setDefault(true);
    m_cancel = new QPushButton(tr("&Cancel"), m_dialog);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    buttons->addWidget(m_accept);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    connect(m_accept, &QPushButton::clicked, m_dialog, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, m_dialog, &QDialog::reject);
}

HxScriptDialog::~HxScriptDialog()
{
    delete m_dialog;
}

QString HxScriptDialog::caption() const
{
    return m_dialog->windowTitle();
}

void HxScriptDialog::setCaption(const QString& caption)
{
    m_dialog->setWindowTitle(caption);
}

QString HxScriptDialog::helpText() const
{
    return m_help->text();
}

void HxScriptDialog::setHelpText(const QString& text)
{
    m_help->setText(text);
    m_help->setVisible(!text.isEmpty());
}

QString HxScriptDialog::acceptText() const
{
    return m_accept->text();
}

void HxScriptDialog::setAcceptText(const QString& text)
{
    m_accept->setText(text);
}

QString HxScriptDialog::cancelText() const
{
    return m_cancel->text();
}

void HxScriptDialog::setCancelText(const QString& text)
{
    m_cancel->setText(text);
}

QBoxLayout* HxScriptDialog::makeLayout(QWidget* widget, Qt::Orientation orientation) const
{
    QBoxLayout* layout = orientation == Qt::Horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout(widget))
                                                       : new QVBoxLayout(widget);
    layout->setContentsMargins(m_margin, m_margin, m_margin, m_margin);
    layout->setSpacing(m_spacing);
    return layout;
}

QObject* HxScriptDialog::addPage(const QString& title)
{
    auto* page = new QWidget;
    makeLayout(page, Qt::Vertical);
    m_pages->addTab(page, title);
    return new HxScriptWidget(page, this, this);
}

bool HxScriptDialog::exec()
{
    if (!m_answers || !m_answers->isInteractive())
        return true;
    return m_dialog->exec() == QDialog::Accepted;
}

void HxScriptDialog::accept()
{
    m_dialog->accept();
}

void HxScriptDialog::reject()
{
    m_dialog->reject();
}
