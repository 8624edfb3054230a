// The two entry points the host looks up in the module.
#include "plugin/hxkinetormodule.h"

namespace {
HxKinetorModule s_module;
}

extern "C" Q_DECL_EXPORT unsigned int getSDKVersion()
{
    return HxKinetorModule::SdkVersion;
}

extern "C" Q_DECL_EXPORT HxPlugin* getPluginDefinition()
{
    return s_module.plugin();
}
