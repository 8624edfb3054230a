#include "hxhosttest.h"

#include "hxhostwindow.h"
#include "hxscenedocument.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxclassfactory.h"
#include "hxcore/hxelementdata.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxundostack.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QMenu>
#include <QUndoStack>

namespace {

// Stands for a plug-in's data item.
class PluginData : public HxElementData
{
    Q_OBJECT
public:
    PluginData() : HxElementData(nullptr, "PluginData") {}
};

class PluginDataFactory : public HxClassFactory
{
public:
    PluginDataFactory()
        : HxClassFactory(&PluginData::staticMetaObject,
                         HxGUID::fromString(QStringLiteral("7E1D2C3B-4A59-4687-9A0B-1C2D3E4F5A6B")))
    {}
    QObject* create() override { return new PluginData; }
};

class SceneDocumentTest : public HxHostTest
{
protected:
    void SetUp() override
    {
        HxHostTest::SetUp();
        m_window->setErrorReporter([this](const QString&, const QString& message) { m_errors << message; });
        m_window->document()->setSaveQuestion([this](const QString&) {
            ++m_questions;
            return m_answer;
        });
    }
    QString path(const char* name) const { return m_scratch.filePath(QString::fromLatin1(name)); }
    // Opening replaces the figure: find the new one.
    bool open(const QString& file)
    {
        const bool opened = m_window->openScene(file);
        m_figure = qobject_cast<HxSkeleton*>(hxScene->findNode(QStringLiteral("Stick")));
        return opened;
    }
    float armTurn() const { return bone("arm")->getXRotControl()->getValue(); }

    QStringList m_errors;
    int m_questions = 0;
    QMessageBox::StandardButton m_answer = QMessageBox::Cancel;
};

TEST_F(SceneDocumentTest, TheTitleNamesTheFileAndMarksChangesAsTheHistoryMoves)
{
    HxSceneDocument* document = m_window->document();
    EXPECT_FALSE(m_window->isWindowModified());
    setUndoable(bone("arm")->getXRotControl(), 20.0f);
    EXPECT_TRUE(m_window->isWindowModified());

    ASSERT_TRUE(document->saveAs(path("pose"))) << m_errors.join('\n').toStdString();
    EXPECT_EQ(document->filePath(), path("pose.hxs")) << "the scene extension is added";
    EXPECT_EQ(m_window->windowTitle(), "pose.hxs[*] \u2014 hxhost");
    EXPECT_FALSE(m_window->isWindowModified());
    hxUndoStack->undo();
    EXPECT_TRUE(m_window->isWindowModified()) << "undoing past the save is a change";
    hxUndoStack->redo();
    EXPECT_FALSE(m_window->isWindowModified()) << "back where it was saved";
    ASSERT_TRUE(m_window->loadFigure(sourcePath("samples/figures/mannequin.json")));
    EXPECT_TRUE(m_window->isWindowModified()) << "a new figure is a change though not an undo step";
}

TEST_F(SceneDocumentTest, OpeningReplacesTheSceneClearsTheHistoryAndABadFileChangesNothing)
{
    setUndoable(bone("arm")->getXRotControl(), 35.0f);
    ASSERT_TRUE(m_window->document()->saveAs(path("saved.hxs")));
    setUndoable(bone("arm")->getXRotControl(), 5.0f);
    ASSERT_TRUE(open(path("saved.hxs"))) << m_errors.join('\n').toStdString();
    EXPECT_FLOAT_EQ(armTurn(), 35.0f);
    EXPECT_EQ(hxUndoStack->undoStack()->count(), 0);
    EXPECT_FALSE(m_window->isWindowModified());
    EXPECT_EQ(m_window->windowTitle(), "saved.hxs[*] \u2014 hxhost");

    QFile::copy(path("saved.hxs"), path("cut.hxs"));
    QFile::resize(path("cut.hxs"), QFile(path("cut.hxs")).size() / 2);
    setUndoable(bone("arm")->getXRotControl(), 7.0f);
    EXPECT_FALSE(open(path("cut.hxs")));
    ASSERT_EQ(m_errors.size(), 1);
    EXPECT_TRUE(m_errors.at(0).startsWith(path("cut.hxs") + ": byte ")) << m_errors.at(0).toStdString();
    EXPECT_FLOAT_EQ(armTurn(), 7.0f);
    EXPECT_EQ(hxUndoStack->undoStack()->count(), 1) << "the history stays with the scene it belongs to";
    EXPECT_EQ(m_window->document()->filePath(), path("saved.hxs"));
}

TEST_F(SceneDocumentTest, WhatASceneHoldsOfAMissingPlugInIsReportedOnOpening)
{
    PluginDataFactory factory;
    hxApp->registerFactory(&factory);
    m_figure->addDataItem(new PluginData);
    ASSERT_TRUE(m_window->document()->saveAs(path("plugin.hxs")));
    hxApp->unregisterFactory(&factory);
    ASSERT_TRUE(open(path("plugin.hxs")));
    ASSERT_EQ(m_errors.size(), 1);
    EXPECT_TRUE(m_errors.at(0).startsWith("plugin.hxs was opened, but not all of it could be read:"));
    EXPECT_TRUE(m_errors.at(0).contains("unknown class 7E1D2C3B")) << m_errors.at(0).toStdString();
}

TEST_F(SceneDocumentTest, NewAndQuitAskBeforeLosingChangesAndSaveDiscardOrCancel)
{
    m_window->confirmNewScene();
    m_figure = nullptr;
    EXPECT_EQ(m_questions, 0) << "nothing to lose, nothing to ask";
    EXPECT_EQ(hxScene->getNumNodes(), 0);
    hxScene->addNode(m_figure = makeFigure(QStringLiteral("Stick")));
    setUndoable(bone("arm")->getXRotControl(), 12.0f);

    m_answer = QMessageBox::Cancel;
    m_window->confirmNewScene();
    EXPECT_EQ(m_questions, 1);
    EXPECT_NE(hxScene->findNode(QStringLiteral("Stick")), nullptr);
    QCloseEvent close;
    QApplication::sendEvent(m_window.get(), &close);
    EXPECT_FALSE(close.isAccepted()) << "Quit cancelled";

    ASSERT_TRUE(m_window->document()->saveAs(path("kept.hxs")));
    setUndoable(bone("arm")->getXRotControl(), 13.0f);
    m_answer = QMessageBox::Save;
    m_window->confirmNewScene();
    m_figure = nullptr;
    EXPECT_EQ(hxScene->getNumNodes(), 0);
    EXPECT_TRUE(m_window->document()->filePath().isEmpty());
    ASSERT_TRUE(open(path("kept.hxs")));
    EXPECT_FLOAT_EQ(armTurn(), 13.0f) << "Save wrote the changes first";

    setUndoable(bone("arm")->getXRotControl(), 14.0f);
    m_answer = QMessageBox::Discard;
    m_window->confirmNewScene();
    m_figure = nullptr;
    EXPECT_EQ(hxScene->getNumNodes(), 0);
    ASSERT_TRUE(open(path("kept.hxs")));
    EXPECT_FLOAT_EQ(armTurn(), 13.0f) << "Discard left the file alone";
}

TEST_F(SceneDocumentTest, OpenRecentKeepsTheLastEightNewestFirst)
{
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(m_window->document()->saveAs(path("take%1.hxs").replace("%1", QString::number(i))));
    ASSERT_TRUE(open(path("take3.hxs")));
    const QStringList recent = m_window->document()->recentFiles();
    ASSERT_EQ(recent.size(), 8);
    EXPECT_EQ(recent.at(0), path("take3.hxs"));
    EXPECT_EQ(recent.at(1), path("take9.hxs"));
    EXPECT_FALSE(recent.contains(path("take0.hxs")));
    EXPECT_EQ(recent.count(path("take3.hxs")), 1);

    QMenu menu;
    m_window->document()->fillRecentMenu(&menu);
    ASSERT_EQ(menu.actions().size(), 8);
    setUndoable(bone("arm")->getXRotControl(), 40.0f);
    m_answer = QMessageBox::Discard;
    menu.actions().at(1)->trigger();
    m_figure = nullptr;
    EXPECT_EQ(m_window->document()->filePath(), path("take9.hxs"));
    EXPECT_EQ(m_questions, 1);
}

} // namespace

#include "test_scenedocument.moc"
