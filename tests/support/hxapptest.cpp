#include "hxapptest.h"

#include <QDir>

void HxAppTest::SetUp()
{
    ASSERT_TRUE(m_scratch.isValid());
    HxApp::setSettingsPath(m_scratch.filePath("settings.ini"));
    m_app = std::make_unique<HxApp>();
}

void HxAppTest::TearDown()
{
    m_app.reset();
    HxApp::setSettingsPath(QString());
}

QString HxAppTest::sourcePath(const QString& relative)
{
    return QDir(QStringLiteral(HX_SOURCE_DIR)).filePath(relative);
}
