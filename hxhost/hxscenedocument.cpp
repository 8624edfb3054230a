#include "hxscenedocument.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxscenefile.h"
#include "hxcore/hxundostack.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QUndoStack>

namespace {
const QString kRecentKey = QStringLiteral("Files/recentScenes");
const QString kFolderKey = QStringLiteral("Files/lastFolder");
} // namespace

HxSceneDocument::HxSceneDocument(QWidget* window) : QObject(window), m_window(window)
{
    if (hxUndoStack)
        connect(hxUndoStack->undoStack(), &QUndoStack::cleanChanged, this, &HxSceneDocument::titleChanged);
    if (hxScene) {
        // Figures come and go outside the undo history, but they change
        // what a save would write all the same.
        connect(hxScene, &HxScene::nodeAdded, this, &HxSceneDocument::setChanged);
        connect(hxScene, &HxScene::nodeRemoved, this, &HxSceneDocument::setChanged);
    }
}

HxSceneDocument::~HxSceneDocument() = default;

QString HxSceneDocument::displayName() const
{
    return m_path.isEmpty() ? tr("Untitled") : QFileInfo(m_path).fileName();
}

bool HxSceneDocument::isModified() const
{
    const bool undoDirty = hxUndoStack && !hxUndoStack->undoStack()->isClean();
    return m_changed || undoDirty;
}

void HxSceneDocument::setChanged()
{
    if (m_busy || m_changed)
        return;
    m_changed = true;
    emit titleChanged();
}

void HxSceneDocument::report(const QString& title, const QString& message)
{
    if (m_reporter)
        m_reporter(title, message);
    else
        QMessageBox::warning(m_window, title, message);
}

bool HxSceneDocument::open(const QString& path)
{
    HxSceneFile file;
    m_busy = true;
    const bool ok = file.load(path);
    m_busy = false;
    if (!ok) {
        report(tr("Open Scene"), file.errorString());
        return false;
    }
    m_path = QFileInfo(path).absoluteFilePath();
    // What was skipped (a plug-in's classes when the plug-in is missing, say)
    // would be gone after the next save: the person has to know.
    const QStringList warnings = file.warnings();
    if (!warnings.isEmpty()) {
        QStringList shown = warnings.mid(0, 10);
        if (warnings.size() > shown.size())
            shown << tr("\u2026 and %n more", nullptr, int(warnings.size() - shown.size()));
        report(tr("Open Scene"), tr("%1 was opened, but not all of it could be read:\n%2")
                                     .arg(QFileInfo(path).fileName(), shown.join(QLatin1Char('\n'))));
    }
    m_changed = false;
    addRecent(m_path);
    emit opened(file.audioFileName());
    // The sound track is not part of the history either.
    m_changed = false;
    if (hxUndoStack)
        hxUndoStack->undoStack()->setClean();
    emit titleChanged();
    return true;
}

bool HxSceneDocument::save()
{
    if (m_path.isEmpty()) {
        const QString path = askSavePath();
        return !path.isEmpty() && saveAs(path);
    }
    return saveAs(m_path);
}

bool HxSceneDocument::saveAs(const QString& path)
{
    QString target = path;
    if (QFileInfo(target).suffix().isEmpty())
        target += QLatin1Char('.') + QLatin1String(Suffix);
    HxSceneFile file;
    if (!file.save(target)) {
        report(tr("Save Scene"), file.errorString());
        return false;
    }
    m_path = QFileInfo(target).absoluteFilePath();
    m_changed = false;
    if (hxUndoStack)
        hxUndoStack->undoStack()->setClean();
    addRecent(m_path);
    emit titleChanged();
    return true;
}

bool HxSceneDocument::maybeSave()
{
    if (!isModified())
        return true;
    const QString text = tr("The scene %1 has changes that are not saved. Save them?").arg(displayName());
    const QMessageBox::StandardButton answer =
        m_question ? m_question(text)
                   : QMessageBox::question(m_window, tr("Unsaved Changes"), text,
                                           QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                           QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return save();
    return answer == QMessageBox::Discard;
}

void HxSceneDocument::reset()
{
    m_path.clear();
    m_changed = false;
    if (hxUndoStack)
        hxUndoStack->undoStack()->setClean();
    emit titleChanged();
}

QString HxSceneDocument::askOpenPath()
{
    QSettings* settings = hxApp ? hxApp->getSettings() : nullptr;
    const QString folder =
        settings ? settings->value(kFolderKey, QDir::homePath()).toString() : QDir::homePath();
    const QString path =
        QFileDialog::getOpenFileName(m_window, tr("Open Scene"), folder, tr("Scenes (*.hxs);;All files (*)"));
    if (!path.isEmpty() && settings)
        settings->setValue(kFolderKey, QFileInfo(path).absolutePath());
    return path;
}

QString HxSceneDocument::askSavePath()
{
    QSettings* settings = hxApp ? hxApp->getSettings() : nullptr;
    const QString folder =
        settings ? settings->value(kFolderKey, QDir::homePath()).toString() : QDir::homePath();
    const QString proposal = m_path.isEmpty() ? QDir(folder).filePath(tr("Untitled.hxs")) : m_path;
    const QString path = QFileDialog::getSaveFileName(m_window, tr("Save Scene As"), proposal,
                                                      tr("Scenes (*.hxs);;All files (*)"));
    if (!path.isEmpty() && settings)
        settings->setValue(kFolderKey, QFileInfo(path).absolutePath());
    return path;
}

QStringList HxSceneDocument::recentFiles() const
{
    return hxApp ? hxApp->getSettings()->value(kRecentKey).toStringList() : QStringList();
}

void HxSceneDocument::addRecent(const QString& path)
{
    if (!hxApp)
        return;
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > MaxRecentFiles)
        files.removeLast();
    hxApp->getSettings()->setValue(kRecentKey, files);
}

void HxSceneDocument::fillRecentMenu(QMenu* menu)
{
    menu->clear();
    const QStringList files = recentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files.at(i);
        QAction* entry =
            menu->addAction(tr("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()), this, [this, path] {
                if (maybeSave())
                    open(path);
            });
        entry->setToolTip(path);
        entry->setStatusTip(path);
    }
    if (files.isEmpty())
        menu->addAction(tr("No recent scenes"))->setEnabled(false);
}
