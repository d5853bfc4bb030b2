#include "base/Array.h"
#include "base/TextUtils.h"
#include "editor/fonts/Design.h"
#include "editor/fonts/FontLoader.h"
#include "editor/platform/FontFile.h"

namespace oq {

namespace {

// The built-in row a replaced slot falls back to.
constexpr int32_t kFallbackFontRow = 2;

// Names reported missing in this process; the damaged Data folder too.
struct MissingFontReports
{
    Array<TextString> names;
    bool dataDamaged = false;
};

MissingFontReports &GetReports()
{
    // Lives to the end of the process, past every static destructor that might still report.
    static MissingFontReports *reports = new MissingFontReports;
    return *reports;
}

// True the first time a name is reported.
bool ReportOnce(const TextString &name)
{
    MissingFontReports &reports = GetReports();
    for (const TextString &reported : reports.names)
    {
        if (CompareText(reported, name)) return false;
    }
    reports.names.AddElement(name);
    return true;
}

}  // namespace

void ClearReportedMissingFonts()
{
    MissingFontReports &reports = GetReports();
    reports.names.SetElementCount(0);
    reports.dataDamaged = false;
}

FontResolveResult Design::ResolveFonts(TextString missing[kDesignFontSlotCount])
{
    if (fonts.slots[0] != nullptr) return FontResolveResult::kUnchanged;
    bool replaced = false;
    bool damaged = false;
    for (int32_t slot = 0; slot < kDesignFontSlotCount; ++slot)
    {
        if (fontNames[slot].IsEmpty()) continue;
        // LoadFont may give the face's own name after a match by file name.
        TextString name = fontNames[slot];
        Font *font = LoadFont(name);
        if (font != nullptr)
        {
            fontNames[slot] = name;
        }
        else if (slot == 0)
        {
            damaged = true;
            continue;
        }
        else
        {
            // The slot keeps the requested name, so saving the design keeps the user's choice.
            if (ReportOnce(fontNames[slot])) missing[slot] = fontNames[slot];
            font = LoadFontByIndex(kFallbackFontRow);
            if (font == nullptr && fonts.slots[0] != nullptr)
            {
                font = fonts.slots[0];
                ++font->references;
            }
            replaced = true;
        }
        SetFont(slot, font);
        // SetFont took a reference of its own.
        if (font != nullptr) static_cast<void>(font->Release());
    }

    for (uint8_t(&entry)[kStyleMapLength] : styleMaps)
    {
        for (int32_t i = 0; i < kStyleMapLength; ++i)
        {
            if (entry[i] >= kDesignFontSlotCount) break;
            if (fonts.slots[entry[i]] != nullptr) continue;
            for (int32_t j = i; j < kStyleMapLength; ++j) entry[j] = kStyleMapEnd;
            break;
        }
    }

    if (damaged)
    {
        MissingFontReports &reports = GetReports();
        if (!reports.dataDamaged)
        {
            reports.dataDamaged = true;
            return FontResolveResult::kDataDamaged;
        }
    }
    return replaced ? FontResolveResult::kReplaced : FontResolveResult::kLoaded;
}

}  // namespace oq
