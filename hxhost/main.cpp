#include "hxhostwindow.h"
#include "hxscenedocument.h"
#include "hxscriptrunner.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxscriptengine.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxstyle.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hxhost"));
    QApplication::setOrganizationName(QStringLiteral("hxkinetor"));
    // Plug-ins draw their canvases through the host style.
    QApplication::setStyle(new HxStyle);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Poses and plays figures; hosts hxcore plug-ins."));
    parser.addHelpOption();
    const QCommandLineOption figureOption(
        QStringLiteral("figure"),
        QStringLiteral("Figure to load: our JSON, or glTF, FBX, COLLADA or BVH to import. "
                       "Default: the sample mannequin."),
        QStringLiteral("FILE"));
    const QCommandLineOption audioOption(
        QStringLiteral("audio"), QStringLiteral("Sound track to load (WAV)."), QStringLiteral("FILE"));
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
                                              QStringLiteral("Render the window to a PNG file and exit."),
                                              QStringLiteral("FILE"));
    const QCommandLineOption selectOption(QStringLiteral("select"),
                                          QStringLiteral("Select the node with this name after loading."),
                                          QStringLiteral("NAME"));
    const QCommandLineOption scriptOption(
        QStringLiteral("script"), QStringLiteral("Run this script once the figure is loaded and selected."),
        QStringLiteral("FILE"));
    const QCommandLineOption exportOption(
        QStringLiteral("export"),
        QStringLiteral("Write the selected (else the first) figure's play range as BVH or glTF, and exit."),
        QStringLiteral("FILE"));
    parser.addOption(figureOption);
    parser.addOption(audioOption);
    parser.addOption(screenshotOption);
    const QCommandLineOption scriptTimeoutOption(
        QStringLiteral("script-timeout"),
        QStringLiteral("Stop a script that keeps the host busy this many seconds. Default: 60 when "
                       "running without a window; with a window a stop window offers to stop it after 3 s."),
        QStringLiteral("SECONDS"));
    parser.addOption(selectOption);
    parser.addOption(scriptOption);
    parser.addOption(exportOption);
    parser.addOption(scriptTimeoutOption);
    parser.addPositionalArgument(QStringLiteral("scene"), QStringLiteral("Scene file to open (.hxs)."),
                                 QStringLiteral("[scene]"));
    parser.process(application);
    const QString scene = parser.positionalArguments().value(0);

    const bool batch = parser.isSet(screenshotOption) || parser.isSet(exportOption);
    // Nobody can answer a stop window in a batch run or on a platform
    // without a screen, so scripts there stop at a time limit instead.
    const QString platform = QGuiApplication::platformName();
    const bool unattended =
        batch || platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
    HxScriptLimits scriptLimits;
    scriptLimits.timeLimitMs = unattended ? 60000 : 0;
    if (!unattended) {
        scriptLimits.promptAfterMs = 3000;
        scriptLimits.promptProgram = QCoreApplication::applicationDirPath() + QStringLiteral("/hxscriptstop");
    }
    if (parser.isSet(scriptTimeoutOption)) {
        bool valid = false;
        const double seconds = parser.value(scriptTimeoutOption).toDouble(&valid);
        if (!valid || !(seconds > 0.0) || seconds > 1e6) {
            QTextStream(stderr) << "hxhost: --script-timeout needs a number of seconds above 0, not "
                                << parser.value(scriptTimeoutOption) << Qt::endl;
            return 2;
        }
        scriptLimits.timeLimitMs = int(seconds * 1000.0);
    }
    HxScriptEngine::setDefaultLimits(scriptLimits);
    HxApp app;
    HxHostWindow window;
    QTextStream err(stderr);
    if (batch) {
        // Nobody is there to close a message box.
        window.setErrorReporter([&err](const QString& title, const QString& message) {
            err << title << ": " << message << Qt::endl;
        });
        window.scriptRunner()->engine()->setInteractive(false);
    } else
        window.restoreWindowSettings();

    // Plug-ins first: a scene holds objects of their classes.
    window.loadPlugins(HxPluginLoader::defaultFolder());
    bool ok = true;
    if (!scene.isEmpty())
        ok = window.openScene(scene);
    QString figure = parser.value(figureOption);
    if (figure.isEmpty() && scene.isEmpty()) {
        figure = HxHostWindow::findSampleFigure();
        if (figure.isEmpty())
            err << "hxhost: the sample figure samples/figures/mannequin.json was not found" << Qt::endl;
    }
    if (!figure.isEmpty())
        ok = window.loadFigure(figure) && ok;
    // The figure a new session starts with is no change of the person's.
    if (scene.isEmpty())
        window.document()->reset();
    if (parser.isSet(audioOption))
        ok = window.loadAudio(parser.value(audioOption)) && ok;
    if (parser.isSet(selectOption)) {
        HxNode* node = hxScene->findNode(parser.value(selectOption));
        if (node)
            hxScene->setPrimarySelection(node);
        else
            err << "hxhost: no node named " << parser.value(selectOption) << Qt::endl;
    }

    if (parser.isSet(scriptOption) && batch)
        ok = window.runScript(parser.value(scriptOption)) && ok;

    if (parser.isSet(exportOption)) {
        // A figure that did not load has said so already.
        if (!ok)
            return 1;
        if (!hxScene->getPrimarySelection())
            for (HxNode* node : hxScene->nodes())
                if (qobject_cast<HxSkeleton*>(node)) {
                    hxScene->setPrimarySelection(node);
                    break;
                }
        if (!window.exportAnimation(parser.value(exportOption)))
            return 1;
        if (!parser.isSet(screenshotOption))
            return ok ? 0 : 1;
    }
    if (batch) {
        QString error;
        if (!window.saveScreenshot(parser.value(screenshotOption), &error)) {
            err << error << Qt::endl;
            return 1;
        }
        return ok ? 0 : 1;
    }
    window.show();
    if (parser.isSet(scriptOption)) {
        // Once the window is up, so that the script's dialogs have a parent on screen.
        const QString script = parser.value(scriptOption);
        QTimer::singleShot(0, &window, [&window, script] { window.runScript(script); });
    }
    return application.exec();
}
