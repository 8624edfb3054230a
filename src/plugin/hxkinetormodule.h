#pragma once

#include "hxcore/hxplugin.h"

#include <memory>
#include <vector>

class HxClassFactory;

// Everything the module builds when it is loaded: the plug-in object and the
// class factories, in the order the host lists them. Members are destroyed
// in reverse order when the module goes.
class HxKinetorModule
{
public:
    static constexpr unsigned int SdkVersion = 0x02000000;
    static constexpr quint32 Version = 0x01050000;

    HxKinetorModule();
    ~HxKinetorModule();

    HxPlugin* plugin() { return &m_plugin; }

private:
    HxPlugin m_plugin;
    std::vector<std::unique_ptr<HxClassFactory>> m_factories;
};
