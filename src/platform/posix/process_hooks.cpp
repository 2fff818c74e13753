// Process attach and detach for the shared object: the loader runs these when the
// host dlopens and dlcloses the module (or the process ends).
#include "module/module_instance.h"

namespace {

__attribute__((constructor)) void orreryProcessAttach() { orrery::onProcessAttach(nullptr); }

__attribute__((destructor)) void orreryProcessDetach() { orrery::onProcessDetach(); }

}  // namespace
