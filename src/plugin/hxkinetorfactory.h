#pragma once

#include "hxcore/hxclassfactory.h"
#include "hxcore/hxplugin.h"

#include <functional>

// The factory of one plug-in class: registers itself with the plug-in object
// when built, makes instances on request, and has no one-argument hook.
template <class T> class HxKinetorFactory : public HxClassFactory
{
public:
    HxKinetorFactory(
        HxPlugin& plugin, const HxGUID& guid, std::function<T*()> make = [] { return new T; })
        : HxClassFactory(&T::staticMetaObject, guid), m_plugin(plugin), m_make(std::move(make))
    {
        m_plugin.addClassFactory(this);
    }
    ~HxKinetorFactory() override { m_plugin.removeClassFactory(this); }

    QObject* create() override { return m_make(); }

private:
    HxPlugin& m_plugin;
    std::function<T*()> m_make;
};
