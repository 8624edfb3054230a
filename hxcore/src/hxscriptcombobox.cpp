#include "hxscriptcombobox.h"

#include <QComboBox>

HxScriptComboBox::HxScriptComboBox(QComboBox* combo, HxScriptDialog* dialog, QObject* parent)
    : HxScriptWidget(combo, dialog, parent)
{
    connect(combo, &QComboBox::currentTextChanged, this, &HxScriptComboBox::currentTextChanged);
}

HxScriptComboBox::~HxScriptComboBox() = default;

QComboBox* HxScriptComboBox::combo() const
{
    return qobject_cast<QComboBox*>(widget());
}

QString HxScriptComboBox::currentText() const
{
    return combo() ? combo()->currentText() : QString();
}

void HxScriptComboBox::setCurrentText(const QString& text)
{
    if (QComboBox* c = combo(); c && c->findText(text) >= 0)
        c->setCurrentIndex(c->findText(text));
}

int HxScriptComboBox::currentIndex() const
{
    return combo() ? combo()->currentIndex() : -1;
}

void HxScriptComboBox::setCurrentIndex(int index)
{
    if (QComboBox* c = combo(); c && index >= 0 && index < c->count())
        c->setCurrentIndex(index);
}

int HxScriptComboBox::count() const
{
    return combo() ? combo()->count() : 0;
}

void HxScriptComboBox::addItem(const QString& text)
{
    if (QComboBox* c = combo())
        c->addItem(text);
}

QString HxScriptComboBox::itemText(int index) const
{
    return combo() ? combo()->itemText(index) : QString();
}

void HxScriptComboBox::clear()
{
    if (QComboBox* c = combo())
        c->clear();
}
