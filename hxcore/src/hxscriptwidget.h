#pragma once

#include "hxscriptdialog.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QBoxLayout;
class QWidget;

// A widget of a script's dialog as the script sees it. Every widget has a
// text (a label's text, a button's or check box's label, a group's title),
// can be enabled, checked when checkable, and carries a tool tip and a
// "What's This" help text. Pages, rows and group boxes are containers: their
// add... functions append widgets in order and return them. See
// docs/scripting.md.
class HxScriptWidget : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(bool checkable READ isCheckable WRITE setCheckable)
    Q_PROPERTY(bool checked READ isChecked WRITE setChecked NOTIFY toggled)
    Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(QString toolTip READ toolTip WRITE setToolTip)
    Q_PROPERTY(QString whatsThis READ whatsThis WRITE setWhatsThis)
    Q_PROPERTY(int minimumWidth READ minimumWidth WRITE setMinimumWidth)
    Q_PROPERTY(int maximumHeight READ maximumHeight WRITE setMaximumHeight)
public:
    HxScriptWidget(QWidget* widget, HxScriptDialog* dialog, QObject* parent);
    ~HxScriptWidget() override;

    QWidget* widget() const { return m_widget; }

    QString text() const;
    void setText(const QString& text);
    bool isCheckable() const;
    void setCheckable(bool checkable);
    bool isChecked() const;
    void setChecked(bool checked);
    bool isEnabled() const;
    void setEnabled(bool enabled);
    QString toolTip() const;
    void setToolTip(const QString& text);
    QString whatsThis() const;
    void setWhatsThis(const QString& text);
    int minimumWidth() const;
    void setMinimumWidth(int width);
    int maximumHeight() const;
    void setMaximumHeight(int height);

    // Containers only; a script that calls them on another widget gets an
    // error naming the call.
    Q_INVOKABLE QObject* addLabel(const QString& text);
    Q_INVOKABLE QObject* addComboBox();
    Q_INVOKABLE QObject* addGroupBox(const QString& title);
    Q_INVOKABLE QObject* addCheckBox(const QString& text);
    Q_INVOKABLE QObject* addButton(const QString& text);
    Q_INVOKABLE QObject* addListView(const QStringList& columns);
    // Grey, word-wrapped text that explains the widgets near it.
    Q_INVOKABLE QObject* addHelpText(const QString& text);
    // A container that lays its widgets out side by side.
    Q_INVOKABLE QObject* addRow();
    // Pushes the widgets that follow to the end of the container.
    Q_INVOKABLE void addStretch();

signals:
    void clicked();
    void toggled(bool on);

protected:
    HxScriptDialog* dialog() const { return m_dialog; }

private:
    QBoxLayout* containerLayout(const char* call) const;
    QObject* append(QWidget* widget, HxScriptWidget* wrapper, const char* call);

    QPointer<QWidget> m_widget;
    QPointer<HxScriptDialog> m_dialog;
};
