#include "UpdaterControlClasses.h"

#include "MainControl.h"

namespace KV {

KVRESULT RegisterUpdaterControlClasses(LControlFactory& factory)
{
    return factory.RegisterControlClass(String(LMainControl::kClassName),
                                        &CreateControlOfClass<LMainControl>);
}

} // namespace KV
