#include "kinetoruitest.h"

#include "ui/hxkinetoraddlayeraction.h"
#include "ui/hxkinetorcenterviewaction.h"
#include "ui/hxkinetorclearlayeraction.h"
#include "ui/hxkinetorclearlayeranimationaction.h"
#include "ui/hxkinetordeletelayeraction.h"
#include "ui/hxkinetordeleteposeaction.h"
#include "ui/hxkinetorextendframesaction.h"
#include "ui/hxkinetorfillframesaction.h"
#include "ui/hxkinetorplayaudioaction.h"
#include "ui/hxkinetorrenamelayeraction.h"
#include "ui/hxkinetorresetviewaction.h"
#include "ui/hxkinetorupdateposeaction.h"
#include "ui/hxkinetorzoomtofitaction.h"

#include "hxcore/hxpanemgr.h"

#include <QInputDialog>
#include <QPointer>
#include <QTest>

QStringList kinetorActions(std::initializer_list<const char*> shortNames)
{
    QStringList names;
    for (const char* name : shortNames)
        names.append(qstrcmp(name, "-") == 0 ? QStringLiteral("-")
                                             : QStringLiteral("HxKinetor%1Action").arg(QLatin1String(name)));
    return names;
}

HxWarningCapture* HxWarningCapture::s_current = nullptr;

HxWarningCapture::HxWarningCapture()
{
    s_current = this;
    m_previous = qInstallMessageHandler(&HxWarningCapture::handler);
}

HxWarningCapture::~HxWarningCapture()
{
    qInstallMessageHandler(m_previous);
    s_current = nullptr;
}

void HxWarningCapture::handler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (s_current && type == QtWarningMsg)
        s_current->m_messages.append(message);
}

namespace {

// Retries for a while in case the popup or dialog is not up yet when the
// timer first fires; a test that never opens one just leaves the timer be.
void whenUp(QObject* context, std::function<bool()> attempt, int triesLeft = 200)
{
    QPointer<QObject> guard(context);
    QTimer::singleShot(triesLeft == 200 ? 0 : 10, context, [guard, attempt, triesLeft]() {
        if (!attempt() && triesLeft > 0 && guard)
            whenUp(guard, attempt, triesLeft - 1);
    });
}

} // namespace

void closePopupSoon(QObject* context, std::shared_ptr<HxClosedPopup> record, int chooseIndex)
{
    whenUp(context, [record, chooseIndex]() {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return false;
        record->seen = true;
        const QList<QAction*> entries = menu->actions();
        for (QAction* entry : entries)
            record->entries.append(entry->isSeparator() ? QStringLiteral("-") : entry->objectName());
        if (chooseIndex >= 0 && chooseIndex < entries.size()) {
            menu->setActiveAction(entries[chooseIndex]);
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            QTest::keyClick(menu, Qt::Key_Escape);
        }
        return true;
    });
}

void answerInputDialogSoon(QObject* context, const QString& text, bool accept,
                           std::shared_ptr<QString> proposal)
{
    whenUp(context, [text, accept, proposal]() {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return false;
        if (proposal)
            *proposal = dialog->textValue();
        dialog->setTextValue(text);
        if (accept)
            dialog->accept();
        else
            dialog->reject();
        return true;
    });
}

void HxKinetorUiTest::TearDown()
{
    m_timers.reset();
    m_pane = nullptr;
    m_window.reset();
    HxAppTest::TearDown();
}

HxSkeleton* HxKinetorUiTest::addFigure(const QString& name, const QStringList& boneNames)
{
    auto* figure = new HxSkeleton(name);
    HxBone* parent = nullptr;
    for (const QString& boneName : boneNames) {
        auto* bone = new HxBone(boneName);
        if (parent)
            bone->setParentBone(parent);
        figure->addBone(bone);
        parent = bone;
    }
    hxScene->addNode(figure);
    return figure;
}

HxNode* HxKinetorUiTest::addNode(const QString& name, bool hidden)
{
    auto* node = new HxNode(name);
    node->setHidden(hidden);
    hxScene->addNode(node);
    return node;
}

HxKinetorPane* HxKinetorUiTest::createWindowWithPane(bool withActions)
{
    m_window = std::make_unique<HxMainWindow>();
    m_pane = new HxKinetorPane;
    m_window->getPaneMgr()->addPane(m_pane);
    if (withActions)
        registerActions();
    return m_pane;
}

void HxKinetorUiTest::registerActions()
{
    HxActionMgr* actions = actionMgr();
    actions->addAction(new HxKinetorPlayAudioAction);
    actions->addAction(new HxKinetorFillFramesAction);
    actions->addAction(new HxKinetorExtendFramesAction);
    actions->addAction(new HxKinetorZoomToFitAction);
    actions->addAction(new HxKinetorResetViewAction);
    actions->addAction(new HxKinetorCenterViewAction);
    actions->addAction(new HxKinetorAddLayerAction);
    actions->addAction(new HxKinetorDeleteLayerAction);
    actions->addAction(new HxKinetorRenameLayerAction);
    actions->addAction(new HxKinetorClearLayerAction);
    actions->addAction(new HxKinetorClearLayerAnimationAction);
    actions->addAction(new HxKinetorDeletePoseAction);
    actions->addAction(new HxKinetorUpdatePoseAction);
    actions->initActions();
}
