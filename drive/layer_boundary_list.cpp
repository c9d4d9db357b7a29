#include "layer_boundary_list.h"

#include <cstring>

#include "cdb_fields.h"
#include "shared_state.h"

namespace {

// The list's own length field counts the bytes after it.
constexpr uint32_t LAYER_BOUNDARY_DATA_LENGTH = LAYER_BOUNDARY_LIST_SIZE - 2;
constexpr int LAYER_BOUNDARY_VALUE_OFFSET = 8;

} // namespace

void BuildLayerBoundaryList(const LayerBoundaryRequest& request) {
    if (request.Format != DISC_STRUCTURE_LAYER_BOUNDARY)
        return;
    std::memset(g_pWriteBuffer, 0, LAYER_BOUNDARY_LIST_SIZE);
    PutBigEndian16(g_pWriteBuffer, LAYER_BOUNDARY_DATA_LENGTH);
    PutBigEndian32(g_pWriteBuffer + LAYER_BOUNDARY_VALUE_OFFSET, request.Value);
}
