#include "command_line.h"

#include <cstring>

namespace {
constexpr char AUTO_MODE_SWITCH[] = " /au";
} // namespace

bool HasAutoModeSwitch(const char* commandLine) {
    return commandLine != nullptr && std::strstr(commandLine, AUTO_MODE_SWITCH) != nullptr;
}
