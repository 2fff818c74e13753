// Process attach and detach for the shared object: the loader runs these when the
// host dlopens and dlcloses the module (or the process ends). At process end the
// destructor function runs after the exit handlers, and the process is still whole, so
// detach releases everything then too (memory checkers see a clean exit).
#include "module/module_instance.h"

namespace {

__attribute__((constructor)) void orreryProcessAttach() { orrery::onProcessAttach(nullptr); }

__attribute__((destructor)) void orreryProcessDetach() { orrery::onProcessDetach(); }

}  // namespace
