#include "hxapptest.h"

#include "hxcore/hxfileioframe.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxsavefilter.h"
#include "hxcore/hxsavefilteraction.h"
#include "hxcore/hxsavefiltermgr.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Remembers one option in the settings and writes the file it is given.
class NotesFrame : public HxFileIOFrame
{
    Q_OBJECT
public:
    NotesFrame() : HxFileIOFrame(QStringLiteral("Notes Options"))
    {
        m_loud = new QCheckBox(QStringLiteral("Loud"), this);
        (new QVBoxLayout(this))->addWidget(m_loud);
    }
    void applyOptions() override { applied = m_loud->isChecked(); }
    void readSettings(QSettings& settings) override { m_loud->setChecked(settings.value("loud").toBool()); }
    void writeSettings(QSettings& settings) override { settings.setValue("loud", m_loud->isChecked()); }

    static inline bool applied = false;

private:
    QCheckBox* m_loud;
};

class NotesFilter : public HxSaveFilter
{
    Q_OBJECT
public:
    NotesFilter() : HxSaveFilter(QStringLiteral("Notes"), QStringLiteral("txt")) {}

    QString refusal;
    unsigned int status = 0;
    bool throwOnFrame = false;
    QString writtenTo;
    int writtenMode = -1;

    HxFileIOFrame* createOptionsFrame() override
    {
        if (throwOnFrame)
            throw QStringLiteral("Out of Memory");
        return new NotesFrame;
    }
    QString getSaveError() override { return refusal; }
    unsigned int writeToFile(const QString& fileName, int mode, const QVariantMap&) override
    {
        writtenTo = fileName;
        writtenMode = mode;
        if (status != 0)
            setErrorString(QStringLiteral("the disk is full"));
        return status;
    }
};

class HxSaveFilterMgrTest : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        m_window = std::make_unique<HxMainWindow>();
        m_filters = m_window->getSaveFilterMgr();
        m_filter = new NotesFilter;
        ASSERT_TRUE(m_filters->addFilter(m_filter));
        m_filters->setReporter([this](const QString& title, const QString& message) {
            m_reports.append(title + ": " + message);
        });
        m_filters->setFileNameChooser([this](HxSaveFilter* filter, const QString&) {
            EXPECT_EQ(filter, m_filter);
            return m_fileName;
        });
    }
    void TearDown() override
    {
        m_window.reset();
        HxAppTest::TearDown();
    }

    // Answers the options dialog: checks Loud or not, then OK or Cancel.
    static void answerOptions(bool loud, bool accept)
    {
        QTimer::singleShot(0, [loud, accept] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QCheckBox*>()->setChecked(loud);
            dialog->findChild<QDialogButtonBox*>()
                ->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)
                ->click();
        });
    }

    std::unique_ptr<HxMainWindow> m_window;
    HxSaveFilterMgr* m_filters = nullptr;
    NotesFilter* m_filter = nullptr;
    QStringList m_reports;
    QString m_fileName;
};

} // namespace

TEST_F(HxSaveFilterMgrTest, AnExportAsksOptionsThenAFileNameAndWritesWithTheHostsMode)
{
    EXPECT_FALSE(m_filters->addFilter(new NotesFilter)) << "one filter per class";
    EXPECT_EQ(m_filters->findFilter("NotesFilter"), m_filter);
    EXPECT_EQ(m_filter->getFileDialogFilter(), "Notes (*.txt)");

    m_fileName = m_scratch.filePath("first");
    answerOptions(true, true);
    EXPECT_TRUE(m_filters->exportWith(m_filter));
    EXPECT_TRUE(NotesFrame::applied);
    EXPECT_EQ(m_filter->writtenTo, m_scratch.filePath("first.txt")) << "the extension is added";
    EXPECT_EQ(m_filter->writtenMode, HxSaveFilter::HostSaveMode);
    EXPECT_TRUE(m_reports.isEmpty());
    EXPECT_EQ(hxApp->getSettings()->value(HxSaveFilterMgr::folderKey()).toString(), m_scratch.path());

    // The frame's settings come back next time.
    bool shownLoud = false;
    QTimer::singleShot(0, [&shownLoud] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shownLoud = dialog->findChild<QCheckBox*>()->isChecked();
        dialog->reject();
    });
    m_filter->writtenTo.clear();
    EXPECT_FALSE(m_filters->exportWith(m_filter));
    EXPECT_TRUE(shownLoud);
    EXPECT_TRUE(m_filter->writtenTo.isEmpty()) << "cancelled options write nothing";

    m_fileName.clear(); // no file chosen
    answerOptions(false, true);
    EXPECT_FALSE(m_filters->exportWith(m_filter));
    EXPECT_TRUE(m_filter->writtenTo.isEmpty());
    EXPECT_TRUE(m_reports.isEmpty()) << "cancelling is not an error";
}

TEST_F(HxSaveFilterMgrTest, RefusalsFailuresAndThrownMessagesAreReported)
{
    m_filter->refusal = QStringLiteral("Please select an item in the scene.");
    EXPECT_FALSE(m_filters->exportWith(m_filter));
    EXPECT_TRUE(m_filter->writtenTo.isEmpty());

    m_filter->refusal = QString();
    m_filter->status = 98;
    m_fileName = m_scratch.filePath("notes.txt");
    answerOptions(false, true);
    EXPECT_FALSE(m_filters->exportWith(m_filter));

    m_filter->throwOnFrame = true;
    EXPECT_FALSE(m_filters->exportWith(m_filter));
    EXPECT_EQ(m_reports,
              QStringList({"Export Notes: Please select an item in the scene.",
                           QStringLiteral("Export Notes: %1 was not written: the disk is full (status 98)")
                               .arg(m_scratch.filePath("notes.txt")),
                           "Export Notes: The export stopped: Out of Memory"}));

    // The filter's action runs the same export, and names itself after it.
    m_filter->throwOnFrame = false;
    m_filter->status = 0;
    HxSaveFilterAction action("NotesFilter");
    action.init();
    EXPECT_EQ(action.text(), QString::fromUtf8("Notes\u2026"));
    answerOptions(false, true);
    action.trigger();
    EXPECT_EQ(m_filter->writtenTo, m_scratch.filePath("notes.txt"));
    HxSaveFilterAction orphan("NoSuchFilter");
    orphan.trigger(); // warns, nothing else
    EXPECT_EQ(m_reports.size(), 3);
}

#include "test_savefilter.moc"
