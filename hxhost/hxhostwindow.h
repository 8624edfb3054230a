#pragma once

#include "hxpluginloader.h"

#include "hxcore/hxmainwindow.h"

#include <functional>

class HxHistoryPane;
class HxPane;
class HxPlugin;
class HxParametersPane;
class HxSceneDocument;
class HxScriptRunner;
class HxScenePane;
class HxTimelinePane;
class HxViewport;
class QAction;
class QLabel;

// The window a person works in: the figure viewport in the middle, the
// Scene and Parameters panes at the sides, the History under Parameters and
// the Timeline along the bottom, with the File, Edit, View, Playback and
// Help menus.
class HxHostWindow : public HxMainWindow
{
    Q_OBJECT
public:
    explicit HxHostWindow(QWidget* parent = nullptr);
    ~HxHostWindow() override;

    // Problems (a figure that does not load, say) go here; by default to a
    // warning box. Batch runs send them to the console instead.
    using ErrorReporter = std::function<void(const QString& title, const QString& message)>;
    void setErrorReporter(ErrorReporter reporter);

    // Adds the figure in the file to the scene. On failure reports why and
    // leaves the scene as it was.
    bool loadFigure(const QString& path);
    // Makes the WAV file the scene's sound track; on failure reports why and
    // keeps the previous one.
    bool loadAudio(const QString& path);
    // Renders the whole window into a PNG file.
    bool saveScreenshot(const QString& path, QString* error = nullptr);
    // Opens the modules of the plug-in folder; problems go to the reporter.
    int loadPlugins(const QString& folder);
    // Runs a script file as one undo step; a script error goes to the
    // reporter with its file and line.
    bool runScript(const QString& path);
    HxScriptRunner* scriptRunner() const { return m_scriptRunner; }

    // Where the sample figure is: beside the executable's tree when
    // installed next to it, else in the source tree. Empty when not found.
    static QString findSampleFigure();

    HxViewport* viewport() const { return m_viewport; }
    HxScenePane* scenePane() const { return m_scenePane; }
    HxParametersPane* parametersPane() const { return m_parametersPane; }
    HxTimelinePane* timelinePane() const { return m_timelinePane; }
    HxHistoryPane* historyPane() const { return m_historyPane; }
    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }
    const HxPluginLoader& pluginLoader() const { return m_plugins; }
    HxSceneDocument* document() const { return m_document; }

    // Reads the scene file in place of the open scene, without asking;
    // on failure reports why and keeps the open scene.
    bool openScene(const QString& path);

public slots:
    // Empties the scene and forgets its file, without asking.
    void newScene();
    // The File menu's New, Open, Save and Save As: they ask first when
    // unsaved changes would be lost, and for file names.
    void confirmNewScene();
    void chooseScene();
    bool saveScene();
    bool saveSceneAs();
    void chooseFigure();
    void chooseAudio();
    void chooseScript();
    void about();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createPanes();
    void installPlugin(HxPlugin* plugin);
    void addPaneMenu(HxPane* pane);
    void createActions();
    void updateTitle();
    void report(const QString& title, const QString& message);
    QString lastFolder() const;
    void rememberFolder(const QString& file);

    HxViewport* m_viewport;
    HxScenePane* m_scenePane = nullptr;
    HxParametersPane* m_parametersPane = nullptr;
    HxTimelinePane* m_timelinePane = nullptr;
    HxHistoryPane* m_historyPane = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QLabel* m_audioLabel = nullptr;
    QMenu* m_helpMenu = nullptr;
    ErrorReporter m_reporter;
    HxPluginLoader m_plugins;
    HxSceneDocument* m_document = nullptr;
    HxScriptRunner* m_scriptRunner = nullptr;
};
