#pragma once

#include "hxapptest.h"

#include "layer/hxkinetorlayer.h"
#include "layer/hxpointcontrol.h"
#include "model/hxkinetorpose.h"
#include "plugin/hxkinetormodule.h"
#include "ui/hxkinetoractionbase.h"
#include "ui/hxkinetorlayergroup.h"
#include "ui/hxkinetorlayerview.h"
#include "ui/hxkinetorpane.h"

#include "hxcore/hxactionmgr.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxclassfactory.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxpanemgr.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

// The qWarning texts the body gives.
inline QStringList warningsDuring(const std::function<void()>& body)
{
    static QStringList* s_seen = nullptr;
    QStringList seen;
    s_seen = &seen;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtWarningMsg)
                s_seen->append(text);
        });
    body();
    qInstallMessageHandler(previous);
    return seen;
}

// The largest difference of the red, green and blue parts.
inline int colourDistance(const QColor& a, const QColor& b)
{
    return std::max(
        {std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

// Pixels of the area (the whole image when empty) within tolerance of the colour.
inline int countNear(const QImage& image, const QColor& colour, int tolerance, QRect area = QRect())
{
    area = area.isEmpty() ? image.rect() : area.intersected(image.rect());
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += colourDistance(image.pixelColor(x, y), colour) <= tolerance;
    return count;
}

// "HxKinetor<Name>Action" for each short name; "-" stays a separator.
inline QStringList kinetorActions(std::initializer_list<const char*> shortNames)
{
    QStringList names;
    for (const char* name : shortNames)
        names.append(qstrcmp(name, "-") == 0 ? QStringLiteral("-")
                                             : QStringLiteral("HxKinetor%1Action").arg(QLatin1String(name)));
    return names;
}

// A menu's action object names, "-" for separators.
inline QStringList menuEntries(const QWidget* menu)
{
    QStringList entries;
    for (QAction* entry : menu->actions())
        entries.append(entry->isSeparator() ? QStringLiteral("-") : entry->objectName());
    return entries;
}

// Records the entries of the next popup menu, then chooses entry chooseIndex or
// dismisses it when -1. A timer owned by context does it, so a popup that never
// came cannot reach a later test.
inline std::shared_ptr<QStringList> closePopupSoon(QObject* context, int chooseIndex = -1)
{
    auto entries = std::make_shared<QStringList>();
    auto* timer = new QTimer(context);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, entries, chooseIndex]() {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        timer->stop();
        *entries = menuEntries(menu);
        const bool choose = chooseIndex >= 0 && chooseIndex < entries->size();
        if (choose)
            menu->setActiveAction(menu->actions().at(chooseIndex));
        QTest::keyClick(menu, choose ? Qt::Key_Return : Qt::Key_Escape);
    });
    timer->start(5);
    return entries;
}

// A fresh application, and on request a main window with the pane docked and
// every pane action registered and initialised, as the host sets them up.
class HxKinetorUiTest : public HxAppTest
{
protected:
    void TearDown() override
    {
        m_timers.reset();
        m_window.reset();
        HxAppTest::TearDown();
    }

    // "Figure" with its bone "hip", added to the scene.
    static HxSkeleton* addFigure()
    {
        auto* figure = new HxSkeleton(QStringLiteral("Figure"));
        figure->addBone(new HxBone(QStringLiteral("hip")));
        hxScene->addNode(figure);
        return figure;
    }
    static HxNode* addNode(const QString& name)
    {
        auto* node = new HxNode(name);
        hxScene->addNode(node);
        return node;
    }
    // Keys the layer's cursor from (0, 0) at time 0 to end at time 480 and parks it at (-1, -1).
    static HxPointControl* keyCursor(HxKinetorLayer* layer, QPointF end)
    {
        HxPointControl* cursor = layer->getCursor();
        cursor->setPosition(0.0f, 0.0f);
        cursor->setKey(0);
        cursor->setPosition(end.x(), end.y());
        cursor->setKey(480);
        cursor->setPosition(-1.0f, -1.0f);
        return cursor;
    }

    HxKinetorPane* createWindowWithPane(bool withActions = true)
    {
        m_window = std::make_unique<HxMainWindow>();
        m_pane = new HxKinetorPane;
        m_window->getPaneMgr()->addPane(m_pane);
        if (withActions)
            registerActions();
        return m_pane;
    }
    void registerActions()
    {
        HxKinetorModule module;
        for (int i = 0; i < module.plugin()->getNumClassFactories(); ++i) {
            HxClassFactory* factory = module.plugin()->getClassFactory(i);
            if (factory->getMetaObject()->inherits(&HxKinetorActionBase::staticMetaObject))
                actionMgr()->addAction(qobject_cast<HxAction*>(factory->create()));
        }
        actionMgr()->initActions();
    }
    // Selects the node and shows the window; returns the layer the pane shows.
    HxKinetorLayer* showLayerOf(HxNode* node)
    {
        m_pane->primarySelectionChanged(node);
        m_window->resize(800, 600);
        m_window->show();
        return m_pane->getActiveLayer();
    }
    HxActionMgr* actionMgr() const { return m_window->getActionMgr(); }

    std::unique_ptr<HxMainWindow> m_window;
    HxKinetorPane* m_pane = nullptr;
    std::unique_ptr<QObject> m_timers = std::make_unique<QObject>();
};

// The test figure and the window with the pane; a layer of the figure standing
// alone over the pane, and its view, once makeLayer made them.
class HxKinetorLayerFixture : public HxKinetorUiTest
{
protected:
    void SetUp() override
    {
        HxKinetorUiTest::SetUp();
        m_figure = addFigure();
        createWindowWithPane();
    }
    void TearDown() override
    {
        makeLayer(nullptr);
        HxKinetorUiTest::TearDown();
    }
    // Replaces the layer with a fresh one of m_figure on the pane (none when null).
    void makeLayer(HxKinetorPane* pane, QSize viewSize = QSize(200, 100))
    {
        m_view.reset();
        m_layer.reset(pane ? new HxKinetorLayer(pane, nullptr, QStringLiteral("Test"), "Layer") : nullptr);
        if (!pane)
            return;
        m_view.reset(m_layer->getView());
        m_layer->setNode(m_figure);
        m_view->resize(viewSize);
    }
    HxKinetorPose* addDot(float x, float y, HxKinetorLayer* layer = nullptr)
    {
        auto* pose = new HxKinetorPose(x, y, m_figure, true);
        (layer ? layer : m_layer.get())->addPose(pose, false);
        return pose;
    }
    QPoint pixelOf(QPointF point) const
    {
        int px = 0;
        int py = 0;
        m_view->layerToView(float(point.x()), float(point.y()), px, py);
        return {px, py};
    }
    QPointF layerAt(QPoint pixel, HxKinetorLayerView* view = nullptr) const
    {
        float x = 0.0f;
        float y = 0.0f;
        (view ? view : m_view.get())->viewToLayer(pixel.x(), pixel.y(), x, y);
        return {x, y};
    }
    QImage grab() const { return m_view->grab().toImage(); }

    HxSkeleton* m_figure = nullptr;
    std::unique_ptr<HxKinetorLayer> m_layer;
    std::unique_ptr<HxKinetorLayerView> m_view;
};
