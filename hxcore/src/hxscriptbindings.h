#pragma once

#include "hxcore/hxscriptmessagebox.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QJSEngine;

// The script constructors beyond the value types: "new HxFile( name )" and
// "new Dialog( caption )" with its widgets. install() binds them to global
// names of the engine.
class HxScriptBindings : public QObject
{
    Q_OBJECT
public:
    HxScriptBindings(QJSEngine* engine, HxScriptMessageBox* answers, QObject* parent = nullptr);
    ~HxScriptBindings() override;

    void install();

    // Scripts own what these return.
    Q_INVOKABLE QObject* makeFile(const QString& fileName) const;
    Q_INVOKABLE QObject* makeDialog(const QString& caption) const;

private:
    QJSEngine* m_engine;
    QPointer<HxScriptMessageBox> m_answers;
};
