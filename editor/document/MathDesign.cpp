// Design parameters of the math layout by key.
#include "editor/document/MathDesign.h"

namespace oq {

float GetDesignParam(const Design *design, int32_t group, uint32_t key)
{
    const DesignGroupTable &table = kDesignGroupTables[group];
    for (int32_t i = 0; i < table.rowCount; ++i)
    {
        if (table.rows[i].key == key) return design->GetParam(group, table.rows[i]);
    }
    return 0.0f;
}

int32_t FindDesignGroup(uint32_t groupKey)
{
    for (int32_t group = 0; group < kDesignGroupCount; ++group)
    {
        if (kDesignGroupTables[group].key == groupKey) return group;
    }
    return -1;
}

float GetGroupParam(const Design *design, uint32_t groupKey, uint32_t key)
{
    int32_t group = FindDesignGroup(groupKey);
    return (group >= 0) ? GetDesignParam(design, group, key) : 0.0f;
}

}  // namespace oq
