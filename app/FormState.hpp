#pragma once

#include <QString>

#include <cstdint>

// What one procedure of the window hands to another; everything else lives in the controls.
struct FormState {
    std::int32_t TexWidth = 0;     // size of the texture last read
    std::int32_t TexHeight = 0;
    QString TexName;               // the selected item's 8 name bytes (Latin-1)
    std::int16_t CloakFound = 0;   // the cloaking scan read a second distance
    QString BinString;             // last bit-string result
    std::int16_t DecResult = 0;
    std::int64_t FilePos = -1;     // -1: no texture located yet
    std::int32_t GlobalOffset = 0; // PointerBase - 8 of the file scanned last
    std::int32_t PtrValue = 0;     // the stored pointer a rewrite read last
};
