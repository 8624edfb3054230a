#pragma once

#include "hxapptest.h"

#include "layer/hxkinetorlayer.h"
#include "ui/hxkinetorlayergroup.h"
#include "ui/hxkinetorlayerview.h"
#include "ui/hxkinetorpane.h"

#include "hxcore/hxactionmgr.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QApplication>
#include <QMenu>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <initializer_list>
#include <memory>

// Collects qWarning texts while it lives.
class HxWarningCapture
{
public:
    HxWarningCapture();
    ~HxWarningCapture();
    const QStringList& messages() const { return m_messages; }
    bool contains(const QString& text) const { return m_messages.contains(text); }

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& message);
    static HxWarningCapture* s_current;
    QtMessageHandler m_previous;
    QStringList m_messages;
};

// What a closer saw of the popup or dialog it closed.
struct HxClosedPopup
{
    bool seen = false;
    QStringList entries; // object names of the actions; "-" for separators
};

// "HxKinetor<Name>Action" for each short name; "-" stands for a separator.
QStringList kinetorActions(std::initializer_list<const char*> shortNames);

// Both helpers act from timers bound to the context, so a helper whose
// popup or dialog never came cannot reach into a later test.
// Closes the next popup menu once its event loop runs, after letting the
// caller look at it (and, with chooseIndex >= 0, choosing that entry).
void closePopupSoon(QObject* context, std::shared_ptr<HxClosedPopup> record, int chooseIndex = -1);
// Fills in and confirms (or cancels) the next modal input dialog.
void answerInputDialogSoon(QObject* context, const QString& text, bool accept,
                           std::shared_ptr<QString> proposal = nullptr);

// A fresh application with a figure helper, and optionally a main window
// with the pane docked and all the pane's actions registered and
// initialised, as the host sets them up.
class HxKinetorUiTest : public HxAppTest
{
protected:
    void TearDown() override;

    // A figure of a chain of bones, added to the scene.
    static HxSkeleton* addFigure(const QString& name, const QStringList& boneNames);
    static HxNode* addNode(const QString& name, bool hidden = false);

    // Window, pane and actions; returns the pane.
    HxKinetorPane* createWindowWithPane(bool withActions = true);
    void registerActions();
    HxActionMgr* actionMgr() const { return m_window ? m_window->getActionMgr() : nullptr; }

    std::unique_ptr<HxMainWindow> m_window;
    HxKinetorPane* m_pane = nullptr;
    // Timers of the popup and dialog helpers die with the test.
    std::unique_ptr<QObject> m_timers = std::make_unique<QObject>();
};
