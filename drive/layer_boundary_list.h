#pragma once
// The parameter list that SEND DISC STRUCTURE format 0x20 (layer boundary) carries, prepared in
// g_pWriteBuffer for CmdSendDiscStructure.

#include <cstddef>
#include <cstdint>

constexpr uint8_t DISC_STRUCTURE_LAYER_BOUNDARY = 0x20;
constexpr uint32_t LAYER_BOUNDARY_LIST_SIZE = 12;

// What a caller asks for. Laid out as 8 bytes: the format code at byte 0, three reserved bytes,
// and the value at bytes 4..7 in the processor's (little-endian) order.
struct LayerBoundaryRequest {
    uint8_t Format;      // only DISC_STRUCTURE_LAYER_BOUNDARY builds a list
    uint8_t Reserved[3]; // 0
    uint32_t Value;      // the layer boundary, as the processor holds it
};
static_assert(sizeof(LayerBoundaryRequest) == 8, "the request record is 8 bytes");
static_assert(offsetof(LayerBoundaryRequest, Value) == 4, "the value at byte 4");

// For format 0x20 writes the 12-byte list to g_pWriteBuffer: the data length 0x000A, six zero
// bytes, then the value most significant byte first. Any other format leaves the buffer alone.
void BuildLayerBoundaryList(const LayerBoundaryRequest& request);
