#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QMenu;
class QWidget;

// The scene as a document: the file it came from, whether it changed since
// (the undo stack's clean state, plus figures added or removed), saving and
// opening with their questions, and the list of recently used scene files
// kept in the application settings.
class HxSceneDocument : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxRecentFiles = 8;
    // The extension a saved scene gets when the name has none.
    static constexpr const char* Suffix = "hxs";

    explicit HxSceneDocument(QWidget* window);
    ~HxSceneDocument() override;

    QString filePath() const { return m_path; }
    // The file's name, or "Untitled".
    QString displayName() const;
    bool isModified() const;

    // Problems go here (the window passes its own reporter on).
    using Reporter = std::function<void(const QString& title, const QString& message)>;
    void setReporter(Reporter reporter) { m_reporter = std::move(reporter); }
    // Answers "save the changes?" with Save, Discard or Cancel; by default a
    // message box asks the person.
    using Question = std::function<QMessageBox::StandardButton(const QString& text)>;
    void setSaveQuestion(Question question) { m_question = std::move(question); }

    // Reads the file in place of the open scene, without asking. On failure
    // the open scene stays and the reason is reported.
    bool open(const QString& path);
    // Saves to the current file, or asks for a name when there is none.
    bool save();
    bool saveAs(const QString& path);
    // With a modified scene, asks whether to save it first. False when the
    // person cancelled or the save failed: the caller must not go on.
    bool maybeSave();
    // Forget the file: the scene is new and unchanged.
    void reset();
    // Asks for a file name with a dialog; empty when cancelled.
    QString askOpenPath();
    QString askSavePath();

    QStringList recentFiles() const;
    // Fills the menu with the recent files; choosing one opens it after
    // maybeSave.
    void fillRecentMenu(QMenu* menu);

signals:
    // The title or the modified mark may read differently now.
    void titleChanged();
    // A scene was read; the host loads the sound track it names.
    void opened(const QString& audioFileName);

private:
    void addRecent(const QString& path);
    void report(const QString& title, const QString& message);
    void setChanged();

    QWidget* m_window;
    QString m_path;
    bool m_changed = false;
    bool m_busy = false;
    Reporter m_reporter;
    Question m_question;
};
