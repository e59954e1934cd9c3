#pragma once

#include <cstdint>

// What one handler of the window hands to another; everything else lives in the controls.
struct FormState {
    std::int32_t TexWidth = 0;   // size of the texture shown last: the extent of colour marking
    std::int32_t TexHeight = 0;
    std::int16_t CloakFound = 0; // the cloaking scan read a second distance
};
