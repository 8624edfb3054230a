#pragma once

#include "hxscriptwidget.h"

class QComboBox;

// A drop-down list of texts in a script's dialog.
class HxScriptComboBox : public HxScriptWidget
{
    Q_OBJECT
    Q_PROPERTY(QString currentText READ currentText WRITE setCurrentText NOTIFY currentTextChanged)
    Q_PROPERTY(int currentIndex READ currentIndex WRITE setCurrentIndex)
    Q_PROPERTY(int count READ count)
public:
    HxScriptComboBox(QComboBox* combo, HxScriptDialog* dialog, QObject* parent);
    ~HxScriptComboBox() override;

    QString currentText() const;
    // Selects the item with that text; a text that no item has changes nothing.
    void setCurrentText(const QString& text);
    int currentIndex() const;
    void setCurrentIndex(int index);
    int count() const;

    Q_INVOKABLE void addItem(const QString& text);
    Q_INVOKABLE QString itemText(int index) const;
    Q_INVOKABLE void clear();

signals:
    void currentTextChanged(const QString& text);

private:
    QComboBox* combo() const;
};
