#include "hxscriptwidget.h"

#include "hxscriptcombobox.h"
#include "hxscriptdialog.h"
#include "hxscriptlistview.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QJSEngine>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

HxScriptWidget::HxScriptWidget(QWidget* widget, HxScriptDialog* dialog, QObject* parent)
    : QObject(parent), m_widget(widget), m_dialog(dialog)
{
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        connect(button, &QAbstractButton::clicked, this, &HxScriptWidget::clicked);
        connect(button, &QAbstractButton::toggled, this, &HxScriptWidget::toggled);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        connect(group, &QGroupBox::clicked, this, &HxScriptWidget::clicked);
        connect(group, &QGroupBox::toggled, this, &HxScriptWidget::toggled);
    }
}

HxScriptWidget::~HxScriptWidget() = default;

QString HxScriptWidget::text() const
{
    if (auto* label = qobject_cast<QLabel*>(m_widget))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(m_widget))
        return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(m_widget))
        return group->title();
    return QString();
}

void HxScriptWidget::setText(const QString& text)
{
    if (auto* label = qobject_cast<QLabel*>(m_widget))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(m_widget))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(m_widget))
        group->setTitle(text);
}

bool HxScriptWidget::isCheckable() const
{
    if (auto* button = qobject_cast<QAbstractButton*>(m_widget))
        return button->isCheckable();
    if (auto* group = qobject_cast<QGroupBox*>(m_widget))
        return group->isCheckable();
    return false;
}

void HxScriptWidget::setCheckable(bool checkable)
{
    if (auto* button = qobject_cast<QAbstractButton*>(m_widget))
        button->setCheckable(checkable);
    else if (auto* group = qobject_cast<QGroupBox*>(m_widget))
        group->setCheckable(checkable);
}

bool HxScriptWidget::isChecked() const
{
    if (auto* button = qobject_cast<QAbstractButton*>(m_widget))
        return button->isChecked();
    if (auto* group = qobject_cast<QGroupBox*>(m_widget))
        return group->isChecked();
    return false;
}

void HxScriptWidget::setChecked(bool checked)
{
    if (auto* button = qobject_cast<QAbstractButton*>(m_widget))
        button->setChecked(checked);
    else if (auto* group = qobject_cast<QGroupBox*>(m_widget))
        group->setChecked(checked);
}

bool HxScriptWidget::isEnabled() const
{
    return m_widget && m_widget->isEnabled();
}

void HxScriptWidget::setEnabled(bool enabled)
{
    if (m_widget)
        m_widget->setEnabled(enabled);
}

QString HxScriptWidget::toolTip() const
{
    return m_widget ? m_widget->toolTip() : QString();
}

void HxScriptWidget::setToolTip(const QString& text)
{
    if (m_widget)
        m_widget->setToolTip(text);
}

QString HxScriptWidget::whatsThis() const
{
    return m_widget ? m_widget->whatsThis() : QString();
}

void HxScriptWidget::setWhatsThis(const QString& text)
{
    if (m_widget)
        m_widget->setWhatsThis(text);
}

int HxScriptWidget::minimumWidth() const
{
    return m_widget ? m_widget->minimumWidth() : 0;
}

void HxScriptWidget::setMinimumWidth(int width)
{
    if (m_widget)
        m_widget->setMinimumWidth(width);
}

int HxScriptWidget::maximumHeight() const
{
    return m_widget ? m_widget->maximumHeight() : 0;
}

void HxScriptWidget::setMaximumHeight(int height)
{
    if (m_widget)
        m_widget->setMaximumHeight(height);
}

QBoxLayout* HxScriptWidget::containerLayout(const char* call) const
{
    auto* layout = m_widget ? qobject_cast<QBoxLayout*>(m_widget->layout()) : nullptr;
    if (!layout)
        if (QJSEngine* engine = qjsEngine(this))
            engine->throwError(
                QJSValue::TypeError,
                QStringLiteral("%1: only pages, rows and group boxes hold widgets").arg(QLatin1String(call)));
    return layout;
}

QObject* HxScriptWidget::append(QWidget* widget, HxScriptWidget* wrapper, const char* call)
{
    QBoxLayout* layout = containerLayout(call);
    if (!layout) {
        delete wrapper;
        delete widget;
        return nullptr;
    }
    layout->addWidget(widget);
    return wrapper;
}

QObject* HxScriptWidget::addLabel(const QString& text)
{
    auto* label = new QLabel(text);
    return append(label, new HxScriptWidget(label, m_dialog, this), "addLabel");
}

QObject* HxScriptWidget::addComboBox()
{
    auto* combo = new QComboBox;
    return append(combo, new HxScriptComboBox(combo, m_dialog, this), "addComboBox");
}

QObject* HxScriptWidget::addGroupBox(const QString& title)
{
    auto* group = new QGroupBox(title);
    if (m_dialog)
        m_dialog->makeLayout(group, Qt::Vertical);
    return append(group, new HxScriptWidget(group, m_dialog, this), "addGroupBox");
}

QObject* HxScriptWidget::addCheckBox(const QString& text)
{
    auto* check = new QCheckBox(text);
    return append(check, new HxScriptWidget(check, m_dialog, this), "addCheckBox");
}

QObject* HxScriptWidget::addButton(const QString& text)
{
    auto* button = new QPushButton(text);
    button->setAutoDefault(false);
    return append(button, new HxScriptWidget(button, m_dialog, this), "addButton");
}

QObject* HxScriptWidget::addListView(const QStringList& columns)
{
    auto* tree = new QTreeWidget;
    return append(tree, new HxScriptListView(tree, columns, m_dialog, this), "addListView");
}

QObject* HxScriptWidget::addHelpText(const QString& text)
{
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setEnabled(false);
    return append(label, new HxScriptWidget(label, m_dialog, this), "addHelpText");
}

QObject* HxScriptWidget::addRow()
{
    auto* row = new QWidget;
    if (m_dialog)
        m_dialog->makeLayout(row, Qt::Horizontal)->setContentsMargins(0, 0, 0, 0);
    return append(row, new HxScriptWidget(row, m_dialog, this), "addRow");
}

void HxScriptWidget::addStretch()
{
    if (QBoxLayout* layout = containerLayout("addStretch"))
        layout->addStretch(1);
}
