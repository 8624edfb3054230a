#include "hxapptest.h"

#include "hxcore/hxclassfactory.h"
#include "hxcore/hxguid.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxundostack.h"

#include <QFileInfo>
#include <QSettings>
#include <memory>

namespace {

class ObjectFactory : public HxClassFactory
{
public:
    explicit ObjectFactory(const char* guid)
        : HxClassFactory(&HxObject::staticMetaObject, HxGUID::fromString(QString::fromLatin1(guid)))
    {}
    QObject* create() override { return new HxObject(QStringLiteral("made")); }
};

} // namespace

using HxAppRegistryTest = HxAppTest;

TEST_F(HxAppRegistryTest, FactoriesAreFoundByGuidAndClassNameUntilUnregistered)
{
    ObjectFactory first("11111111-2222-3333-4444-555555555555");
    ObjectFactory second("AAAAAAAA-2222-3333-4444-555555555555");
    m_app->registerFactory(&first);
    m_app->registerFactory(&first);
    m_app->registerFactory(&second);

    EXPECT_EQ(m_app->findFactory(HxGUID::fromString("aaaaaaaa-2222-3333-4444-555555555555")), &second);
    // Two factories of one class: the first registered answers to the name.
    EXPECT_EQ(m_app->findFactory(QStringLiteral("HxObject")), &first);
    EXPECT_EQ(m_app->findFactory(QStringLiteral("HxMorph")), nullptr);
    // The host's own storable classes are there from the start.
    ASSERT_NE(m_app->findFactory(QStringLiteral("HxBone")), nullptr);
    EXPECT_FALSE(m_app->findFactory(QStringLiteral("HxBone"))->getGUID().isNull());
    EXPECT_EQ(m_app->findFactory(HxGUID::fromLegacyClassID(7)), nullptr);
    std::unique_ptr<QObject> made(m_app->createInstance(QStringLiteral("HxObject")));
    ASSERT_TRUE(made);
    EXPECT_EQ(made->objectName(), "made");
    EXPECT_EQ(m_app->createInstance(QStringLiteral("Nothing")), nullptr);

    m_app->unregisterFactory(&first);
    EXPECT_EQ(m_app->findFactory(QStringLiteral("HxObject")), &second);
    m_app->unregisterFactory(&second);
    EXPECT_EQ(m_app->findFactory(QStringLiteral("HxObject")), nullptr);
}

TEST_F(HxAppRegistryTest, GlobalsAndSettingsFollowTheApplication)
{
    EXPECT_EQ(hxApp, m_app.get());
    EXPECT_EQ(hxScene, m_app->getScene());
    EXPECT_EQ(hxUndoStack, m_app->getUndoStack());
    EXPECT_EQ(m_app->getInterface(), nullptr);

    m_app->getSettings()->setValue("Test/key", 42);
    m_app->getSettings()->sync();
    EXPECT_EQ(QFileInfo(m_app->getSettings()->fileName()).absolutePath(),
              QFileInfo(m_scratch.path()).absoluteFilePath());
    EXPECT_EQ(QSettings(m_scratch.filePath("settings.ini"), QSettings::IniFormat).value("Test/key").toInt(),
              42);

    hxScene->addNode(new HxNode(QStringLiteral("n")));
    m_app.reset();
    EXPECT_EQ(hxApp, nullptr);
    EXPECT_EQ(hxScene, nullptr);
    EXPECT_EQ(hxUndoStack, nullptr);
}
