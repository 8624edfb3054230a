#include "hxhostwindow.h"

#include "hxexportmenu.h"
#include "hxanimationexporter.h"
#include "hxfigureimporter.h"
#include "hxhistorypane.h"
#include "hxmediaaudioclip.h"
#include "hxparameterspane.h"
#include "hxplayback.h"
#include "hxscenedocument.h"
#include "hxscenepane.h"
#include "hxscriptrunner.h"
#include "hxskinlayer.h"
#include "hxtimelinepane.h"
#include "hxviewport.h"

#include "hxcore/hxaction.h"
#include "hxcore/hxactionmenu.h"
#include "hxcore/hxactionmgr.h"
#include "hxcore/hxapp.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxclassfactory.h"
#include "hxcore/hxfigurereader.h"
#include "hxcore/hxpane.h"
#include "hxcore/hxplugin.h"
#include "hxcore/hxsavefilter.h"
#include "hxcore/hxsavefiltermgr.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxundostack.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>

namespace {
const QString kFolderKey = QStringLiteral("Files/lastFolder");
} // namespace

HxHostWindow::HxHostWindow(QWidget* parent) : HxMainWindow(parent)
{
    setObjectName(QStringLiteral("HxHostWindow"));
    setWindowIcon(style()->standardIcon(QStyle::SP_ComputerIcon));
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    // Side panes run the full height; the timeline sits under the viewport.
    setCorner(Qt::TopLeftCorner, Qt::LeftDockWidgetArea);
    setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    setCorner(Qt::TopRightCorner, Qt::RightDockWidgetArea);
    setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea);

    // Plug-ins find their actions and menus through the action manager.
    setActionMgr(new HxActionMgr(this));
    m_scriptRunner = new HxScriptRunner(this);
    m_scriptRunner->setReporter(
        [this](const QString& title, const QString& message) { report(title, message); });
    getSaveFilterMgr()->setReporter(
        [this](const QString& title, const QString& message) { report(title, message); });
    m_viewport = new HxViewport(getViewportMgr(), this);
    setCentralWidget(m_viewport);
    m_document = new HxSceneDocument(this);
    m_document->setReporter([this](const QString& title, const QString& message) { report(title, message); });
    connect(m_document, &HxSceneDocument::titleChanged, this, &HxHostWindow::updateTitle);
    connect(m_document, &HxSceneDocument::opened, this, [this](const QString& audio) {
        if (audio.isEmpty())
            return;
        if (QFileInfo::exists(audio))
            loadAudio(audio);
        else
            statusBar()->showMessage(tr("The scene's sound track %1 is missing").arg(audio), 8000);
    });
    createPanes();
    createActions();

    m_audioLabel = new QLabel(this);
    m_audioLabel->setContentsMargins(6, 0, 6, 0);
    statusBar()->addPermanentWidget(m_audioLabel);
    auto* hint =
        new QLabel(tr("Left drag: orbit \u00b7 Middle or Shift+drag: pan \u00b7 Right drag or wheel: "
                      "zoom \u00b7 Click: select"),
                   this);
    hint->setEnabled(false);
    statusBar()->addPermanentWidget(hint);
    // A pane's own hint (the mouse over another canvas) replaces the viewport's.
    connect(statusBar(), &QStatusBar::messageChanged, hint,
            [hint](const QString& message) { hint->setVisible(message.isEmpty()); });

    if (hxScene) {
        // Only figures are named in the title; going over every node for
        // each of 100,000 bones added would take minutes.
        const auto figureChanged = [this](HxNode* node) {
            if (qobject_cast<HxSkeleton*>(node))
                updateTitle();
        };
        connect(hxScene, &HxScene::nodeAdded, this, figureChanged);
        connect(hxScene, &HxScene::nodeRemoved, this, figureChanged);
        connect(hxScene, &HxScene::sceneCleared, this, &HxHostWindow::updateTitle);
        connect(hxScene, &HxScene::audioChanged, this, [this] {
            auto* clip = dynamic_cast<HxMediaAudioClip*>(hxScene->getAudio());
            m_audioLabel->setText(clip ? tr("\u266a %1").arg(QFileInfo(clip->fileName()).fileName())
                                       : QString());
        });
    }
    updateTitle();
    resize(1360, 860);
    // In the application a person uses, no change escapes the history.
    if (hxUndoStack)
        hxUndoStack->setGatherLooseChanges(true);
}

HxHostWindow::~HxHostWindow()
{
    if (hxUndoStack)
        hxUndoStack->setGatherLooseChanges(false);
    if (m_timelinePane)
        m_timelinePane->playback()->stop();
}

void HxHostWindow::createPanes()
{
    HxPaneMgr* panes = getPaneMgr();
    m_scenePane = new HxScenePane;
    m_parametersPane = new HxParametersPane(getViewportMgr());
    m_historyPane = new HxHistoryPane;
    m_timelinePane = new HxTimelinePane;
    QDockWidget* sceneDock = panes->addPane(m_scenePane, Qt::LeftDockWidgetArea);
    QDockWidget* parametersDock = panes->addPane(m_parametersPane, Qt::RightDockWidgetArea);
    QDockWidget* historyDock = panes->addPane(m_historyPane, Qt::RightDockWidgetArea);
    QDockWidget* timelineDock = panes->addPane(m_timelinePane, Qt::BottomDockWidgetArea);
    splitDockWidget(parametersDock, historyDock, Qt::Vertical);
    timelineDock->setFeatures(timelineDock->features() & ~QDockWidget::DockWidgetVerticalTitleBar);
    resizeDocks({sceneDock, parametersDock}, {280, 350}, Qt::Horizontal);
    resizeDocks({parametersDock, historyDock}, {520, 200}, Qt::Vertical);
    resizeDocks({timelineDock}, {96}, Qt::Vertical);
}

void HxHostWindow::createActions()
{
    QStyle* s = style();
    HxPlayback* playback = m_timelinePane->playback();

    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* newScene = file->addAction(s->standardIcon(QStyle::SP_FileIcon), tr("&New"), this,
                                        &HxHostWindow::confirmNewScene);
    newScene->setShortcut(QKeySequence::New);
    newScene->setToolTip(tr("Start an empty scene"));
    QAction* openScene = file->addAction(s->standardIcon(QStyle::SP_DialogOpenButton), tr("&Open\u2026"),
                                         this, &HxHostWindow::chooseScene);
    openScene->setShortcut(QKeySequence::Open);
    openScene->setToolTip(tr("Open a saved scene"));
    QMenu* recent = file->addMenu(tr("Open &Recent"));
    recent->setObjectName(QStringLiteral("recentMenu"));
    connect(recent, &QMenu::aboutToShow, recent, [this, recent] { m_document->fillRecentMenu(recent); });
    QAction* saveScene = file->addAction(s->standardIcon(QStyle::SP_DialogSaveButton), tr("&Save"), this,
                                         &HxHostWindow::saveScene);
    saveScene->setShortcut(QKeySequence::Save);
    QAction* saveAs = file->addAction(tr("Save &As\u2026"), this, &HxHostWindow::saveSceneAs);
    saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    file->addSeparator();
    QAction* openFigure = file->addAction(s->standardIcon(QStyle::SP_DialogOpenButton),
                                          tr("Load &Figure\u2026"), this, &HxHostWindow::chooseFigure);
    openFigure->setToolTip(tr("Add a figure from a JSON file"));
    QAction* openAudio = file->addAction(s->standardIcon(QStyle::SP_MediaVolume), tr("Load &Audio\u2026"),
                                         this, &HxHostWindow::chooseAudio);
    openAudio->setToolTip(tr("Use a WAV file as the sound track"));
    file->addSeparator();
    QAction* runScript = file->addAction(tr("&Run Script\u2026"), this, &HxHostWindow::chooseScript);
    runScript->setObjectName(QStringLiteral("runScriptAction"));
    runScript->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    runScript->setToolTip(tr("Run a script file (a Kinetor preset, say); Shift or Ctrl held when it starts "
                             "are passed on to it"));
    file->addAction(tr("&Import Figure\u2026"), this, &HxHostWindow::chooseImport)
        ->setToolTip(tr("Add a figure from a glTF, FBX, COLLADA or BVH file"));
    file->addMenu(new HxExportMenu(tr("&Export"), this));
    file->addAction(tr("&Export Animation\u2026"), this, &HxHostWindow::chooseExport)
        ->setToolTip(tr("Write the selected figure's play range as BVH or glTF"));
    file->addSeparator();
    QAction* quit =
        file->addAction(s->standardIcon(QStyle::SP_DialogCloseButton), tr("&Quit"), this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    // Undo and Redo go through the host's stack, never straight to the Qt
    // one, so that they wait for a change in progress.
    m_undo = new QAction(tr("&Undo"), this);
    m_redo = new QAction(tr("&Redo"), this);
    m_undo->setEnabled(false);
    m_redo->setEnabled(false);
    if (QUndoStack* stack = hxUndoStack ? hxUndoStack->undoStack() : nullptr) {
        const auto follow = [](QAction* action, const QString& prefix, const QString& step) {
            action->setText(step.isEmpty() ? prefix : HxHostWindow::tr("%1 %2").arg(prefix, step));
        };
        connect(stack, &QUndoStack::canUndoChanged, m_undo, &QAction::setEnabled);
        connect(stack, &QUndoStack::canRedoChanged, m_redo, &QAction::setEnabled);
        connect(stack, &QUndoStack::undoTextChanged, m_undo,
                [this, follow](const QString& step) { follow(m_undo, tr("&Undo"), step); });
        connect(stack, &QUndoStack::redoTextChanged, m_redo,
                [this, follow](const QString& step) { follow(m_redo, tr("&Redo"), step); });
        connect(m_undo, &QAction::triggered, hxUndoStack, &HxUndoStack::undo);
        connect(m_redo, &QAction::triggered, hxUndoStack, &HxUndoStack::redo);
        connect(hxUndoStack, &HxUndoStack::refused, this,
                [this](const QString& message) { statusBar()->showMessage(message, 4000); });
        m_undo->setEnabled(stack->canUndo());
        m_redo->setEnabled(stack->canRedo());
    }
    m_undo->setObjectName(QStringLiteral("undoAction"));
    m_redo->setObjectName(QStringLiteral("redoAction"));
    m_undo->setShortcut(QKeySequence::Undo);
    m_redo->setShortcut(QKeySequence::Redo);
    m_undo->setIcon(s->standardIcon(QStyle::SP_ArrowBack));
    m_redo->setIcon(s->standardIcon(QStyle::SP_ArrowForward));
    edit->addAction(m_undo);
    edit->addAction(m_redo);

    QMenu* view = menuBar()->addMenu(tr("&View"));
    QAction* frameAll = view->addAction(s->standardIcon(QStyle::SP_DesktopIcon), tr("&Frame All"), m_viewport,
                                        &HxViewport::frameAll);
    frameAll->setShortcut(QKeySequence(Qt::Key_F));
    frameAll->setToolTip(tr("Aim the camera at the whole scene"));
    QAction* showBones = view->addAction(tr("Show &Bones"));
    showBones->setCheckable(true);
    showBones->setChecked(m_viewport->skinLayer()->showsBones());
    showBones->setToolTip(tr("Draw the bones over the skins of skinned figures"));
    connect(showBones, &QAction::toggled, m_viewport->skinLayer(), &HxSkinLayer::setShowsBones);
    view->addSeparator();
    HxPaneMgr* panes = getPaneMgr();
    for (int i = 0; i < panes->getNumPanes(); ++i)
        if (QDockWidget* dock = panes->getDock(panes->getPane(i)))
            view->addAction(dock->toggleViewAction());
    // Panes that plug-ins dock later get their toggle too.
    connect(panes, &HxPaneMgr::paneAdded, view, [view, panes](HxPane* pane) {
        if (QDockWidget* dock = panes->getDock(pane))
            view->addAction(dock->toggleViewAction());
    });

    QMenu* play = menuBar()->addMenu(tr("&Playback"));
    QAction* playStop = play->addAction(s->standardIcon(QStyle::SP_MediaPlay), tr("&Play / Stop"), playback,
                                        &HxPlayback::toggle);
    playStop->setShortcut(QKeySequence(Qt::Key_Space));
    connect(playback, &HxPlayback::playingChanged, playStop, [playStop, s](bool playing) {
        playStop->setIcon(s->standardIcon(playing ? QStyle::SP_MediaStop : QStyle::SP_MediaPlay));
    });
    QAction* toStart = play->addAction(s->standardIcon(QStyle::SP_MediaSkipBackward), tr("Go to &Start"),
                                       m_timelinePane, &HxTimelinePane::goToStart);
    toStart->setShortcut(QKeySequence(Qt::Key_Home));
    QAction* toEnd = play->addAction(s->standardIcon(QStyle::SP_MediaSkipForward), tr("Go to &End"),
                                     m_timelinePane, &HxTimelinePane::goToEnd);
    toEnd->setShortcut(QKeySequence(Qt::Key_End));
    play->addAction(tr("Pre&vious Frame"), QKeySequence(Qt::Key_Comma), m_timelinePane,
                    [this] { m_timelinePane->stepFrames(-1); });
    play->addAction(tr("Ne&xt Frame"), QKeySequence(Qt::Key_Period), m_timelinePane,
                    [this] { m_timelinePane->stepFrames(1); });

    QMenu* help = m_helpMenu = menuBar()->addMenu(tr("&Help"));
    help->addAction(s->standardIcon(QStyle::SP_MessageBoxInformation), tr("&About hxhost"), this,
                    &HxHostWindow::about);

    QToolBar* bar = addToolBar(tr("Main"));
    bar->setObjectName(QStringLiteral("mainToolBar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(20, 20));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->addAction(newScene);
    bar->addAction(openScene);
    bar->addAction(saveScene);
    bar->addAction(openFigure);
    bar->addAction(openAudio);
    bar->addSeparator();
    bar->addAction(m_undo);
    bar->addAction(m_redo);
    bar->addSeparator();
    bar->addAction(frameAll);
    bar->addAction(playStop);
}

void HxHostWindow::setErrorReporter(ErrorReporter reporter)
{
    m_reporter = std::move(reporter);
}

void HxHostWindow::report(const QString& title, const QString& message)
{
    statusBar()->showMessage(message, 8000);
    if (m_reporter)
        m_reporter(title, message);
    else
        QMessageBox::warning(this, title, message);
}

bool HxHostWindow::loadFigure(const QString& path)
{
    if (!hxScene)
        return false;
    QString error;
    // What the file sets, and what plug-ins set up for a new node, is where
    // the figure starts, not an edit to undo: adding a figure is no step.
    HxUndoStack::PauseGathering setUp(hxUndoStack);
    // Interchange formats by extension; everything else is our own JSON.
    std::unique_ptr<HxSkeleton> figure = HxFigureImporter::handles(path)
                                             ? HxFigureImporter::read(path, hxScene->getTimeStep(), &error)
                                             : HxFigureReader::read(path, &error);
    if (!figure) {
        report(tr("Load Figure"), error.isEmpty() ? tr("%1: the figure could not be read").arg(path) : error);
        return false;
    }
    const bool first = hxScene->getNumNodes() == 0;
    const QString name = figure->objectName();
    const int bones = figure->getNumBones();
    HxFigureImporter::showTake(figure.get(), hxScene);
    hxScene->addNode(figure.release());
    if (first)
        m_viewport->frameAll();
    statusBar()->showMessage(tr("Loaded %1 (%n bone(s))", nullptr, bones).arg(name), 5000);
    return true;
}

bool HxHostWindow::loadAudio(const QString& path)
{
    if (!hxScene)
        return false;
    QString error;
    std::unique_ptr<HxMediaAudioClip> clip = HxMediaAudioClip::load(path, &error);
    if (!clip) {
        report(tr("Load Audio"), error);
        return false;
    }
    m_timelinePane->playback()->stop();
    const bool silent = !clip->hasOutput();
    hxScene->setAudio(clip.release());
    statusBar()->showMessage(silent ? tr("Loaded %1 (no audio output on this machine: it will play silently)")
                                          .arg(QFileInfo(path).fileName())
                                    : tr("Loaded %1").arg(QFileInfo(path).fileName()),
                             5000);
    return true;
}

void HxHostWindow::newScene()
{
    m_timelinePane->playback()->stop();
    if (!hxScene)
        return;
    // Whatever is in progress ends before the scene it works on goes.
    if (hxUndoStack)
        hxUndoStack->closeAllHolds();
    hxScene->clear();
    hxScene->setAudio(nullptr);
    hxScene->setTime(0);
    if (hxUndoStack)
        hxUndoStack->clear();
    m_document->reset();
    m_viewport->frameAll();
}

void HxHostWindow::confirmNewScene()
{
    if (m_document->maybeSave())
        newScene();
}

bool HxHostWindow::openScene(const QString& path)
{
    m_timelinePane->playback()->stop();
    if (!m_document->open(path))
        return false;
    m_viewport->frameAll();
    statusBar()->showMessage(tr("Opened %1").arg(m_document->displayName()), 5000);
    return true;
}

void HxHostWindow::chooseScene()
{
    if (!m_document->maybeSave())
        return;
    const QString path = m_document->askOpenPath();
    if (!path.isEmpty())
        openScene(path);
}

bool HxHostWindow::saveScene()
{
    const bool saved = m_document->save();
    if (saved)
        statusBar()->showMessage(tr("Saved %1").arg(m_document->displayName()), 5000);
    return saved;
}

bool HxHostWindow::saveSceneAs()
{
    const QString path = m_document->askSavePath();
    if (path.isEmpty() || !m_document->saveAs(path))
        return false;
    statusBar()->showMessage(tr("Saved %1").arg(m_document->displayName()), 5000);
    return true;
}

QString HxHostWindow::lastFolder() const
{
    const QString folder = hxApp ? hxApp->getSettings()->value(kFolderKey).toString() : QString();
    if (!folder.isEmpty() && QDir(folder).exists())
        return folder;
    const QString sample = findSampleFigure();
    return sample.isEmpty() ? QDir::homePath() : QFileInfo(sample).absolutePath();
}

void HxHostWindow::rememberFolder(const QString& file)
{
    if (hxApp)
        hxApp->getSettings()->setValue(kFolderKey, QFileInfo(file).absolutePath());
}

void HxHostWindow::chooseFigure()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Load Figure"), lastFolder(),
                                                      tr("Figures (*.json);;All files (*)"));
    if (path.isEmpty())
        return;
    rememberFolder(path);
    loadFigure(path);
}

void HxHostWindow::chooseImport()
{
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Import Figure"), lastFolder(),
        tr("Figures (%1);;All files (*)").arg(HxFigureImporter::filePatterns().join(' ')));
    if (path.isEmpty())
        return;
    rememberFolder(path);
    loadFigure(path);
}

bool HxHostWindow::exportAnimation(const QString& path)
{
    QString error;
    HxNode* selected = hxScene ? hxScene->getPrimarySelection() : nullptr;
    if (!HxAnimationExporter::write(selected ? selected->getSkeleton() : nullptr, hxScene->getPlayRange(),
                                    hxScene->getTimeStep(), path, &error)) {
        report(tr("Export Animation"), error);
        return false;
    }
    statusBar()->showMessage(tr("Exported %1").arg(QFileInfo(path).fileName()), 5000);
    return true;
}

void HxHostWindow::chooseExport()
{
    const QString path =
        QFileDialog::getSaveFileName(this, tr("Export Animation"), lastFolder(),
                                     tr("BVH motion (*.bvh);;glTF (*.gltf);;glTF binary (*.glb)"));
    if (path.isEmpty())
        return;
    rememberFolder(path);
    exportAnimation(path);
}

void HxHostWindow::chooseAudio()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Load Audio"), lastFolder(),
                                                      tr("WAV sound (*.wav);;All files (*)"));
    if (path.isEmpty())
        return;
    rememberFolder(path);
    loadAudio(path);
}

void HxHostWindow::chooseScript()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Run Script"), lastFolder(),
                                                      tr("Scripts (*.js);;All files (*)"));
    if (path.isEmpty())
        return;
    rememberFolder(path);
    runScript(path);
}

bool HxHostWindow::runScript(const QString& path)
{
    return m_scriptRunner->runFile(path);
}

void HxHostWindow::about()
{
    QMessageBox::about(
        this, tr("About hxhost"),
        tr("<h3>hxhost</h3><p>Poses and plays figures, and hosts plug-ins built on the hxcore "
           "SDK.</p><p><b>Viewport:</b> left drag orbits, middle or Shift+left drag pans, right "
           "drag or the wheel zooms, a click selects a bone, F frames the scene.</p>"
           "<p><b>Timeline:</b> drag on the ruler to scrub; Space plays and stops.</p>"));
}

int HxHostWindow::loadPlugins(const QString& folder)
{
    // A plug-in setting up its panes makes no step.
    HxUndoStack::PauseGathering setUp(hxUndoStack);
    const int before = int(m_plugins.errors().size());
    const int modulesBefore = m_plugins.count();
    const int loaded = m_plugins.loadFolder(folder);
    QList<HxPane*> panesBefore;
    for (int i = 0; i < getPaneMgr()->getNumPanes(); ++i)
        panesBefore.append(getPaneMgr()->getPane(i));
    for (int i = modulesBefore; i < m_plugins.count(); ++i)
        installPlugin(m_plugins.plugin(i));
    // Actions that modules added look for their panes now that they exist.
    getActionMgr()->initActions();
    for (int i = 0; i < getPaneMgr()->getNumPanes(); ++i)
        if (HxPane* pane = getPaneMgr()->getPane(i); !panesBefore.contains(pane))
            addPaneMenu(pane);
    const QStringList errors = m_plugins.errors().mid(before);
    if (!errors.isEmpty())
        report(tr("Plug-ins"), errors.join(QLatin1Char('\n')));
    return loaded;
}

// A plug-in pane is what the person loaded the plug-in for, and its canvas
// wants room to perform on: it takes the larger, lower part of a wider right
// column, under the parameters, with the history behind them. The viewport
// keeps the middle.
void HxHostWindow::giveRoomTo(QDockWidget* dock)
{
    QDockWidget* parameters = getPaneMgr()->getDock(m_parametersPane);
    QDockWidget* history = getPaneMgr()->getDock(m_historyPane);
    if (!dock || !parameters || !history)
        return;
    // Split before tabbing: a dock split off a tabbed one would join its tabs.
    splitDockWidget(parameters, dock, Qt::Vertical);
    tabifyDockWidget(parameters, history);
    parameters->raise();
    resizeDocks({parameters, dock}, {300, 660}, Qt::Vertical);
    resizeDocks({dock}, {560}, Qt::Horizontal);
}

// A module's panes come first, then its actions, whose init() looks the
// panes up. Every factory is registered so scenes and scripts can create
// the module's classes by name.
void HxHostWindow::installPlugin(HxPlugin* plugin)
{
    if (!plugin || !hxApp)
        return;
    QList<HxClassFactory*> actionFactories;
    for (int i = 0; i < plugin->getNumClassFactories(); ++i) {
        HxClassFactory* factory = plugin->getClassFactory(i);
        hxApp->registerFactory(factory);
        const QMetaObject* meta = factory->getMetaObject();
        if (!meta)
            continue;
        if (meta->inherits(&HxPane::staticMetaObject)) {
            if (auto* pane = qobject_cast<HxPane*>(factory->create())) {
                QDockWidget* dock = getPaneMgr()->addPane(pane, Qt::RightDockWidgetArea);
                giveRoomTo(dock);
            }
        } else if (meta->inherits(&HxAction::staticMetaObject)) {
            actionFactories.append(factory);
        } else if (meta->inherits(&HxSaveFilter::staticMetaObject)) {
            // Listed under File > Export.
            auto* filter = qobject_cast<HxSaveFilter*>(factory->create());
            if (filter && !getSaveFilterMgr()->addFilter(filter))
                delete filter;
        }
    }
    for (HxClassFactory* factory : std::as_const(actionFactories)) {
        auto* action = qobject_cast<HxAction*>(factory->create());
        if (action && !getActionMgr()->addAction(action))
            delete action;
    }
}

// A pane with a menu of its own gets it in the menu bar, under its title.
void HxHostWindow::addPaneMenu(HxPane* pane)
{
    if (!pane->hasPaneMenu())
        return;
    auto* menu = new HxActionMenu(pane->getTitle(), this, getActionMgr());
    pane->buildPaneMenu(menu);
    menuBar()->insertMenu(m_helpMenu->menuAction(), menu);
}

bool HxHostWindow::saveScreenshot(const QString& path, QString* error)
{
    if (!isVisible())
        show();
    // Let the layout settle (item views lay out on a timer) and every pane
    // paint once before the grab.
    QEventLoop settle;
    QTimer::singleShot(100, &settle, &QEventLoop::quit);
    settle.exec();
    const QPixmap picture = grab();
    if (picture.isNull() || !picture.save(path, "PNG")) {
        if (error)
            *error = tr("%1: the screenshot could not be written").arg(path);
        return false;
    }
    return true;
}

QString HxHostWindow::findSampleFigure()
{
    const QString relative = QStringLiteral("samples/figures/mannequin.json");
    const QDir appDir(QCoreApplication::applicationDirPath());
    const QStringList candidates = {appDir.absoluteFilePath(QStringLiteral("../") + relative),
                                    appDir.absoluteFilePath(QStringLiteral("../../") + relative),
                                    appDir.absoluteFilePath(QStringLiteral("../share/hxhost/") + relative),
                                    QDir(QStringLiteral(HX_SOURCE_DIR)).absoluteFilePath(relative)};
    for (const QString& candidate : candidates)
        if (QFileInfo::exists(candidate))
            return QDir::cleanPath(candidate);
    return QString();
}

void HxHostWindow::updateTitle()
{
    QStringList figures;
    if (hxScene)
        for (HxNode* node : hxScene->nodes())
            if (qobject_cast<HxSkeleton*>(node))
                figures.append(node->objectName());
    // A saved scene is named by its file; a new one by its figures. The
    // [*] shows the modified mark.
    QString name = figures.join(QStringLiteral(", "));
    if (m_document && !m_document->filePath().isEmpty())
        name = m_document->displayName();
    setWindowTitle(name.isEmpty() ? tr("[*]hxhost") : tr("%1[*] \u2014 hxhost").arg(name));
    setWindowModified(m_document && m_document->isModified());
}

void HxHostWindow::closeEvent(QCloseEvent* event)
{
    // A drag or a burst of fills still open ends here, kept as its step,
    // before the scene is offered for saving.
    if (hxUndoStack)
        hxUndoStack->closeAllHolds();
    if (!m_document->maybeSave()) {
        event->ignore();
        return;
    }
    m_timelinePane->playback()->stop();
    saveWindowSettings();
    event->accept();
}
