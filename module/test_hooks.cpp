#include "test_hooks.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace kio::module {

namespace {

using VariableBuffer = std::array<char, 1024>;

// The variable's value, or an empty text when it is unset or too long.
std::string_view ReadVariable(const char* name, VariableBuffer& buffer) noexcept {
    const DWORD length = GetEnvironmentVariableA(name, buffer.data(), buffer.size());
    return length < buffer.size() ? std::string_view(buffer.data(), length) : std::string_view();
}

}  // namespace

DWORD SimulatedLockFailure(const char* owner) noexcept {
    VariableBuffer buffer;
    std::string_view items = ReadVariable(kFailLockVariable, buffer);
    const std::string_view wanted(owner);
    while (!items.empty()) {
        const size_t end = items.find(';');
        const std::string_view item = items.substr(0, end);
        items = end == std::string_view::npos ? std::string_view() : items.substr(end + 1);
        const size_t equals = item.find('=');
        if (equals != std::string_view::npos && item.substr(0, equals) == wanted) {
            const std::string_view error = item.substr(equals + 1);
            DWORD value = 0;
            for (const char digit : error) {
                if (digit < '0' || digit > '9') {
                    break;
                }
                value = value * 10 + static_cast<DWORD>(digit - '0');
            }
            return value;
        }
    }
    return ERROR_SUCCESS;
}

void NoteLifecycleStep(const char* step) noexcept {
    VariableBuffer buffer;
    const std::string_view log = ReadVariable(kLifecycleLogVariable, buffer);
    const size_t stepLength = std::strlen(step);
    if (log.size() + stepLength + 2 > buffer.size()) {
        return;
    }
    char* end = buffer.data() + log.size();
    std::memcpy(end, step, stepLength);
    end[stepLength] = ';';
    end[stepLength + 1] = '\0';
    SetEnvironmentVariableA(kLifecycleLogVariable, buffer.data());
}

}  // namespace kio::module
