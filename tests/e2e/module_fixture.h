#pragma once
// Loads the freshly built module for each test, as a host would.
#include <gtest/gtest.h>

#include <memory>

#include "module_loader.h"

namespace orrery::test {

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = std::make_unique<host::ModuleLoader>(ORRERY_MODULE_PATH);
    ASSERT_TRUE(module_->ok()) << module_->error();
    ASSERT_EQ(module_->load("./"), 1);
  }
  void TearDown() override {
    if (module_ && module_->ok()) module_->unload();
  }
  host::ModuleLoader& module() { return *module_; }

 private:
  std::unique_ptr<host::ModuleLoader> module_;
};

}  // namespace orrery::test
