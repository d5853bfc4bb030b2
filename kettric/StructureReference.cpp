// Reference literals: the structure reference value and its reader.
#include "kettric/StructureReference.h"

#include "kettric/KettricCharClass.h"
#include "kettric/KettricLiterals.h"

#include <cstring>
#include <new>

namespace oq {

void StructureReference::Reset(bool global)
{
    // Rebuilding the array destroys the parts last first and returns it to its local element.
    nameParts.~Array();
    new (&nameParts) Array<TextString, 1>();
    globalFlag = global;
}

void StructureReference::AppendNamePart(const char *text, int32_t length)
{
    int32_t count = nameParts.GetElementCount();
    nameParts.SetElementCount(count + 1);
    nameParts[count].SetTextMax(text, length);
}

bool StructureReference::operator==(const StructureReference &reference) const
{
    if (globalFlag != reference.globalFlag) return false;
    int32_t count = nameParts.GetElementCount();
    if (count != reference.nameParts.GetElementCount()) return false;
    for (int32_t i = 0; i < count; ++i)
    {
        const TextString &a = nameParts[i];
        const TextString &b = reference.nameParts[i];
        if (a.GetLength() != b.GetLength()) return false;
        if (std::memcmp(a.GetText(), b.GetText(), size_t(a.GetLength())) != 0) return false;
    }
    return true;
}

KettricResult ReadKettricReference(const char **text, StructureReference *value)
{
    const char *p = *text;
    if (value != nullptr) value->Reset(*p != '%');
    if (*p == '$' || *p == '%' || *p == '&')
    {
        for (;;)
        {
            ++p;
            int32_t length = 0;
            KettricResult result = ParseKettricIdentifier(p, &length);
            if (result != 0)
            {
                *text = p;
                return result;
            }
            if (value != nullptr) value->AppendNamePart(p, length);
            p += length;
            p = SkipKettricSpace(p);
            if (*p != '%') break;
        }
        *text = p;
        return 0;
    }
    if (p[0] == 'n' && p[1] == 'u' && p[2] == 'l' && p[3] == 'l' && IsKettricSeparator(p[4]))
    {
        p += 4;
        *text = SkipKettricSpace(p);
        return 0;
    }
    return kResultReferenceInvalid;
}

}  // namespace oq
