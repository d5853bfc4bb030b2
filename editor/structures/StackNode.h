#pragma once

#include "editor/structures/StructureNode.h"

#include <cstdint>

namespace oq {

inline constexpr uint32_t kStackKind = 'stck';
inline constexpr uint32_t kStackLowerRole = 'lowr';
inline constexpr uint32_t kStackUpperRole = 'uppr';

// A stack ("St"): limits under ('lowr') and over ('uppr') a base, spaced like the base it carries (the
// spacing search passes through it); "sm" sets the limits smaller and close to the base's ink.
class StackNode : public StructureNode
{
public:
    static constexpr int32_t kBaseSlot = 0;
    static constexpr int32_t kLowerSlot = 1;
    static constexpr int32_t kUpperSlot = 2;

    StackNode();
    StackNode(const StackNode &node);

    GroupNode *GetBase() const { return GetSlot(kBaseSlot); }
    GroupNode *GetLower() const { return GetSlot(kLowerSlot); }
    GroupNode *GetUpper() const { return GetSlot(kUpperSlot); }
    GroupNode *GetOrCreateLower() { return GetOrCreateSlot(kLowerSlot); }
    GroupNode *GetOrCreateUpper() { return GetOrCreateSlot(kUpperSlot); }

    // "sm" (bool).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;

    void LayoutBeforeChildren(const Design *design) override;
    void Measure(const Design *design) override;
    bool HasVariant() const override;
    // Toggles "sm".
    void CycleVariant() override;
    // Toggles "sm" and returns the new value.
    bool ToggleSmall();
    // Lower limit, base and upper limit from the bottom up.
    GroupNode *GetGroupAbove(const GroupNode *group) const override;
    GroupNode *GetGroupBelow(const GroupNode *group) const override;
    // \underset and \overset around the base.
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    // The base alone without limits, else munder, mover or munderover in an mstyle that keeps the
    // limits over and under.
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    bool small = false;
};

}  // namespace oq
