#include "editor/platform/DocumentFontSet.h"

#include "editor/platform/FontFile.h"
#include "vorl/text/FontDataAccess.h"

namespace oq {

void DocumentFontSet::SetSlot(int32_t slot, Font *font, float scale)
{
    if (slot < 0 || slot >= kSlotCount) return;
    slots[slot] = font;
    textFonts[slot] = {nullptr, scale, 0.0F};
    if (font != nullptr) textFonts[slot].fontRecord = GetVorlFontRecord(font->file->GetHeader(), uint32_t(font->faceIndex));
}

}  // namespace oq
