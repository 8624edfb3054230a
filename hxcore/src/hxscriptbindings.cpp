#include "hxscriptbindings.h"

#include "hxcore/hxappsettingsmgr.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxpane.h"
#include "hxcore/hxskeleton.h"
#include "hxfile.h"
#include "hxscriptdialog.h"

#include <QJSEngine>

HxScriptBindings::HxScriptBindings(QJSEngine* engine, HxScriptMessageBox* answers, QObject* parent)
    : QObject(parent), m_engine(engine), m_answers(answers)
{}

HxScriptBindings::~HxScriptBindings() = default;

void HxScriptBindings::install()
{
    // Methods that return a pointer to a class their header only declares
    // reach scripts only once the pointer type is known by name.
    qRegisterMetaType<HxAppSettingsMgr*>();
    qRegisterMetaType<HxNode*>();
    qRegisterMetaType<HxSkeleton*>();
    qRegisterMetaType<HxBone*>();
    qRegisterMetaType<HxPane*>();
    qRegisterMetaType<HxPaneMgr*>();
    qRegisterMetaType<HxViewportMgr*>();
    QJSEngine::setObjectOwnership(this, QJSEngine::CppOwnership);
    const QJSValue self = m_engine->newQObject(this);
    // Plain functions, so that "new HxFile( name )" yields the object that
    // the function returns.
    const QJSValue make = m_engine->evaluate(QStringLiteral(
        "(function (f) { return {"
        " HxFile: function HxFile(name) { return f.makeFile(name === undefined ? '' : String(name)); },"
        " Dialog: function Dialog(caption) {"
        " return f.makeDialog(caption === undefined ? '' : String(caption)); } }; })"));
    const QJSValue constructors = make.call({self});
    QJSValue global = m_engine->globalObject();
    for (const char* name : {"HxFile", "Dialog"})
        global.setProperty(QLatin1String(name), constructors.property(QLatin1String(name)));
}

QObject* HxScriptBindings::makeFile(const QString& fileName) const
{
    return new HxFile(fileName);
}

QObject* HxScriptBindings::makeDialog(const QString& caption) const
{
    return new HxScriptDialog(caption, m_answers);
}
