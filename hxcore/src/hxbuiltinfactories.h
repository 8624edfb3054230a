#pragma once

class HxApp;

// Registers the factories of the host's own storable classes (the scene's
// record, nodes, figures and bones), so scene files create them through the
// same registry as the plug-ins' classes.
void hxRegisterBuiltinFactories(HxApp* app);
