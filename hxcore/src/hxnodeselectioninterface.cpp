#include "hxcore/hxnodeselectioninterface.h"

HxNodeSelectionInterface::~HxNodeSelectionInterface() = default;
