#include "hxbuiltinfactories.h"

#include "hxscenerecord.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxclassfactory.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxskeleton.h"

namespace {

template <class T> class HxBuiltinFactory : public HxClassFactory
{
public:
    explicit HxBuiltinFactory(const char* guid)
        : HxClassFactory(&T::staticMetaObject, HxGUID::fromString(QString::fromLatin1(guid)))
    {}
    QObject* create() override { return new T; }
};

} // namespace

void hxRegisterBuiltinFactories(HxApp* app)
{
    // The identifiers name the classes in every scene file ever written;
    // they never change.
    static HxBuiltinFactory<HxSceneRecord> scene("3F6B1C2A-7D4E-4A9B-8C51-2E7F0A9D6B01");
    static HxBuiltinFactory<HxNode> node("3F6B1C2A-7D4E-4A9B-8C51-2E7F0A9D6B02");
    static HxBuiltinFactory<HxSkeleton> skeleton("3F6B1C2A-7D4E-4A9B-8C51-2E7F0A9D6B03");
    static HxBuiltinFactory<HxBone> bone("3F6B1C2A-7D4E-4A9B-8C51-2E7F0A9D6B04");
    for (HxClassFactory* factory :
         {static_cast<HxClassFactory*>(&scene), static_cast<HxClassFactory*>(&node),
          static_cast<HxClassFactory*>(&skeleton), static_cast<HxClassFactory*>(&bone)})
        app->registerFactory(factory);
}
