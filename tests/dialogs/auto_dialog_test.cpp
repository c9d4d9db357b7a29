// The automatic-mode dialog as the program runs it: made by the application, its message loop
// run until the quit message, then destroyed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {} // namespace
