#pragma once

#include "vorlfont/opentype/FontBytes.h"
#include "vorlfont/opentype/ImportResultCodes.h"

#include <cstdint>

namespace oq {

inline constexpr uint32_t kCollectionTag = 'ttcf';
// Most faces of a collection: every face's Font holds a 4.4 MB character table once resolved, so
// a small file naming one face many times could otherwise exhaust memory.
inline constexpr uint32_t kMaxCollectionFaces = 256;

// Finds the first table record with the tag in the offset table at offsetTable. Returns 0 with
// *table set to the table's bytes, or to an empty view (data null) when no record has the tag;
// 'CRPT' when the offset table's records or the found table do not lie inside the file.
[[nodiscard]] uint32_t FindSfntTable(const FontBytes &file, uint64_t offsetTable, uint32_t tag, FontBytes *table);

// True for the sfntVersion values of a face: 0x00010000, 'true', 'OTTO'.
bool IsFaceVersion(uint32_t version);

// The face count of a collection header: 'CRPT' when it is 0, above kMaxCollectionFaces or its
// offsets do not fit in the file.
[[nodiscard]] uint32_t ReadCollectionFaceCount(const FontBytes &file, uint32_t *faceCount);

// The offset of face i's offset table in a collection: 'CRPT' unless its 12-byte head lies in
// the file.
[[nodiscard]] uint32_t ReadCollectionFaceOffset(const FontBytes &file, uint32_t face, uint64_t *offsetTable);

// True when every face of the collection can share the first face's glyphs. A face whose offset
// table, 'head', 'hhea' or 'maxp' cannot be read does not share.
bool CollectionSharesTables(const FontBytes &file, uint32_t faceCount);
// The same over a byte source (tables compared by file offset); both forms give the same answer.
bool CollectionSharesTables(const FontByteSource &file, uint32_t faceCount);

}  // namespace oq
