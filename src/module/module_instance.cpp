#include "module/module_instance.h"

#include "module/module_core.h"
#include "platform/platform.h"

namespace orrery {
namespace {

void* gInstanceHandle = nullptr;
// A plain pointer, not a smart one: its lifetime follows attach, unload and detach,
// never the order of static destructors.
IModule* gModule = nullptr;

}  // namespace

void onProcessAttach(void* instanceHandle) noexcept {
  gInstanceHandle = instanceHandle;
  platform::createPrivateLocale();
  ensureModule();
}

void onProcessDetach(bool processEnding) noexcept {
  if (processEnding) {
    gModule = nullptr;
    return;
  }
  destroyModule();
  platform::releaseCodePage();
  platform::destroyPrivateLocale();
}

IModule* currentModule() noexcept { return gModule; }

IModule* readyModule() noexcept { return ensureModule() ? gModule : nullptr; }

bool ensureModule() noexcept {
  if (gModule != nullptr) return true;
  try {
    gModule = new ModuleCore(gInstanceHandle);
  } catch (...) {
    gModule = nullptr;
  }
  return gModule != nullptr;
}

bool restartModule() noexcept {
  destroyModule();
  return ensureModule();
}

void destroyModule() noexcept {
  IModule* module = gModule;
  gModule = nullptr;
  delete module;
}

}  // namespace orrery
