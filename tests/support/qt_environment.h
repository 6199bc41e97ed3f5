// One QApplication for a whole widget test program: made before the first
// test and destroyed after the last. Register it once per program:
//   ::testing::AddGlobalTestEnvironment(new kestrel::testing::QtEnvironment("name_tests"));
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>
#include <string>

namespace kestrel::testing {

class QtEnvironment : public ::testing::Environment {
 public:
  explicit QtEnvironment(std::string program) : program_(std::move(program)) {}

  void SetUp() override {
    argv_[0] = program_.data();
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  // QApplication keeps references to argc and argv for its whole life.
  std::string program_;
  int argc_ = 1;
  char* argv_[2] = {nullptr, nullptr};
  std::unique_ptr<QApplication> app_;
};

}  // namespace kestrel::testing
