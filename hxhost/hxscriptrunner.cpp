#include "hxscriptrunner.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxappsettingsmgr.h"
#include "hxcore/hxscriptengine.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxundostackhold.h"

#include <QFileInfo>

HxScriptRunner::HxScriptRunner(QObject* parent) : QObject(parent), m_engine(new HxScriptEngine(this)) {}

HxScriptRunner::~HxScriptRunner() = default;

bool HxScriptRunner::runFile(const QString& fileName)
{
    bool ok = false;
    {
        // Whatever the script changes is one step in the history, also when
        // it stops half way: the person sees the error and can undo.
        HxUndoStackHold hold(hxUndoStack);
        ok = m_engine->runFile(fileName);
        hold.accept(tr("Run Script %1").arg(QFileInfo(fileName).fileName()));
    }
    // A script that stopped between pushPath and popPath must not leave the
    // next one in its settings folder.
    if (hxApp)
        hxApp->getAppSettingsMgr()->resetPath();
    if (!ok && m_reporter)
        m_reporter(tr("Run Script"), m_engine->lastError());
    return ok;
}
