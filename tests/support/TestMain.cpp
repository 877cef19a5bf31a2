// The main of every GoogleTest executable: HOME is the build's test home, so that nothing a
// test leaves in the Trash or the desktop's folders reaches the machine's own user.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  setenv("HOME", QVR_TEST_HOME, 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
