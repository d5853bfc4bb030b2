// Scripts: slot scales, spacing against the base, the horizontal and vertical placement of post- and
// pre-scripts, and the text forms.
#include "editor/structures/ScriptNode.h"

#include "editor/document/BracketNode.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PhantomNode.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/SpaceNode.h"
#include "editor/document/SpacingNeighbors.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/structures/LatexScriptCarrier.h"
#include "editor/structures/PrimeNode.h"

#include <algorithm>
#include <cstring>

namespace oq {

namespace {

constexpr SlotGroupRow kScriptSlots[2] = {{kSubscriptRole, false}, {kSuperscriptRole, false}};

// Delimiters that leave a flat side towards a script: right sides, then left sides, in this order.
constexpr uint32_t kFlatRightDelimiters[10] = {']', '|', 0x2016, 0x2309, 0x230B, 0x27E7, 0x2980, 0x298C, 0x298E, 0x2990};
constexpr uint32_t kFlatLeftDelimiters[10] = {'[', '|', 0x2016, 0x2308, 0x230A, 0x27E6, 0x2980, 0x298B, 0x298D, 0x298F};

float ScriptParam(const Design *design, uint32_t key)
{
    return GetGroupParam(design, kScriptKind, key);
}

const BracketNode *AsBracket(const MathNode *node)
{
    return node != nullptr && node->GetKind() == kBracketKind ? dynamic_cast<const BracketNode *>(node) : nullptr;
}

const SymbolRunNode *AsRun(const MathNode *node)
{
    return node != nullptr && node->GetKind() == kSymbolRunKind ? dynamic_cast<const SymbolRunNode *>(node) : nullptr;
}

const PrimeNode *AsPrime(const MathNode *node)
{
    return node != nullptr && node->GetKind() == kPrimeKind ? dynamic_cast<const PrimeNode *>(node) : nullptr;
}

const ScriptNode *AsScripts(const MathNode *node)
{
    return node != nullptr && node->GetKind() == kScriptKind ? dynamic_cast<const ScriptNode *>(node) : nullptr;
}

const PrimeNode *AsLatexPrime(const MathNode *node)
{
    const PrimeNode *prime = AsPrime(node);
    return prime != nullptr && prime->WritesLatex() ? prime : nullptr;
}

bool Contains(const uint32_t (&table)[10], uint32_t codePoint)
{
    return std::find(std::begin(table), std::end(table), codePoint) != std::end(table);
}

// Neighbours that take no script spacing: none, a row begin, scripts and spaces.
bool EndsScriptSpacing(const MathNode *node)
{
    if (node == nullptr) return true;
    uint32_t kind = node->GetKind();
    return kind == kRowBeginKind || kind == kScriptKind || kind == kSpaceKind;
}

// Whether the node writes no LaTeX at all: tabs, overlay phantoms, primes without a LaTeX form.
bool WritesNoLatex(const MathNode *node)
{
    uint32_t kind = node->GetKind();
    if (kind == kSpaceKind)
    {
        const auto *space = dynamic_cast<const SpaceNode *>(node);
        return space != nullptr && space->isTab;
    }
    if (kind == kPhantomKind)
    {
        const auto *phantom = dynamic_cast<const PhantomNode *>(node);
        if (phantom == nullptr) return false;
        uint32_t type = phantom->phantomType;
        return type != kPhantomVertical && type != kPhantomHorizontal && type != kPhantomFull;
    }
    const PrimeNode *prime = AsPrime(node);
    return prime != nullptr && !prime->WritesLatex();
}

// The y of a slot group placed with its rows: the baseline of its last row.
float LastRowBaseline(const GroupNode *group)
{
    return group != nullptr ? group->GetLastRowBaseline() : 0.0f;
}

}  // namespace

bool IsBracketFlatOnRight(const MathNode *node)
{
    const BracketNode *bracket = AsBracket(node);
    return bracket != nullptr && Contains(kFlatRightDelimiters, bracket->right);
}

bool IsBracketFlatOnLeft(const MathNode *node)
{
    const BracketNode *bracket = AsBracket(node);
    return bracket != nullptr && Contains(kFlatLeftDelimiters, bracket->left);
}

const MathNode *FindPreviousLatexWriter(const MathNode *node)
{
    for (const MathNode *n = node->GetPreviousMathNode(); n != nullptr; n = n->GetPreviousMathNode())
    {
        if (n->GetKind() == kRowBeginKind) return nullptr;
        if (!WritesNoLatex(n)) return n;
    }
    return nullptr;
}

uint32_t GetTrailingLatexScripts(const MathNode *node, uint32_t wanted)
{
    if (node == nullptr || wanted == 0) return 0;
    if (const ScriptNode *scripts = AsScripts(node)) return scripts->GetLatexScripts(wanted);
    if (const auto *carrier = dynamic_cast<const LatexScriptCarrier *>(node)) return carrier->GetTrailingLatexScripts();
    if (AsLatexPrime(node) == nullptr) return 0;
    if ((wanted & kLatexSubscriptFlag) == 0) return kLatexSuperscriptFlag;
    // Primes in a row share one superscript; a subscript comes from the atom before the first of them.
    const MathNode *n = node;
    while (const PrimeNode *prime = AsLatexPrime(n))
    {
        if (prime->WritesEmptyLatexBase()) return kLatexSuperscriptFlag;
        n = FindPreviousLatexWriter(prime);
    }
    return kLatexSuperscriptFlag | (GetTrailingLatexScripts(n, kLatexSubscriptFlag) & kLatexSubscriptFlag);
}

ScriptNode::ScriptNode(bool preScripts)
    : StructureNode(kScriptKind, kScriptSlots, 2, true), pre(preScripts), noSlant(preScripts)
{
}

ScriptNode::ScriptNode(const ScriptNode &node)
    : StructureNode(node), PreScriptCarrier(), pre(node.pre), outer(node.outer), noSlant(node.noSlant)
{
}

bool ScriptNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                               void **storage)
{
    const struct
    {
        const char *name;
        bool *flag;
    } flags[] = {{"pr", &pre}, {"ow", &outer}, {"ns", &noSlant}};
    for (const auto &flag : flags)
    {
        if (std::strcmp(identifier, flag.name) != 0) continue;
        *type = 'BOOL';
        *storage = flag.flag;
        return true;
    }
    return ColoredMathNode::CheckProperty(document, identifier, type, storage);
}

DocumentNode *ScriptNode::Clone() const
{
    return new ScriptNode(*this);
}

bool ScriptNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteColorProperties(&writer);
    if (pre) writer.WriteFlag("pr");
    if (outer) writer.WriteFlag("ow");
    if (noSlant) writer.WriteFlag("ns");
    return writer.Opened();
}

void ScriptNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "Sc");
}

void ScriptNode::LayoutBeforeChildren(const Design *design)
{
    float factor = ScriptParam(design, scriptDepth == 0 ? 'scl0' : 'scl1');
    bool atRowStart = false;
    bool atRowEnd = false;
    const GroupNode *enclosing = GetEnclosingGroup();
    if (enclosing != nullptr)
    {
        if (pre)
        {
            const MathNode *previous = FindPrevSpacingNeighbor(this);
            atRowStart = (previous == nullptr || previous->GetKind() == kRowBeginKind) && enclosing->spaceAtRowStart;
        }
        else
        {
            const MathNode *next = FindNextSpacingNeighbor(this);
            atRowEnd = (next == nullptr || next->GetKind() == kRowBeginKind) && enclosing->spaceAtRowEnd;
        }
    }
    for (GroupNode *group : {GetSubscripts(), GetSuperscripts()})
    {
        if (group == nullptr) continue;
        SetSlotScale(group, factor, 1, scriptDepth);
        group->defaultAlignment = pre ? kAlignRight : kAlignLeft;
        group->spaceAtRowStart = atRowStart;
        group->spaceAtRowEnd = atRowEnd;
    }
}

void ScriptNode::GetScriptSpacing(const Design *design, float *left, float *right) const
{
    float mu = GetMu(design);
    const MathNode *previous = FindPrevSpacingNeighbor(this);
    const MathNode *next = FindNextSpacingNeighbor(this);
    float before = 0.0f;
    if (!EndsScriptSpacing(previous))
    {
        before = mu * ScriptParam(design, pre ? 'exsp' : 'insp');
        if (IsBracketFlatOnRight(previous)) before += mu * ScriptParam(design, 'fbsp');
    }
    float after = 0.0f;
    if (!EndsScriptSpacing(next))
    {
        after = mu * ScriptParam(design, pre ? 'insp' : 'exsp');
        if (IsBracketFlatOnLeft(next)) after += mu * ScriptParam(design, 'fbsp');
    }
    if (pre)
    {
        *left = before;
        *right = after;
        return;
    }
    // Post-scripts carry the base's right spacing past themselves.
    float carried = previous != nullptr ? previous->rightSpacing : 0.0f;
    *left = before - carried;
    *right = (next != nullptr && next->GetKind() != kRowBeginKind) ? std::max(after, carried) : 0.0f;
}

void ScriptNode::Measure(const Design *design)
{
    float em = GetEm(design);
    float left = 0.0f;
    float right = 0.0f;
    GetScriptSpacing(design, &left, &right);
    width = 0.0f;
    top = 0.0f;
    bottom = em * GetGeneralParam(design, 'cptl');
    leftSpacing = left;
    rightSpacing = right;
    if (pre) MeasurePre(design, em, left, right);
    else MeasurePost(design, em, left, right);
}

void ScriptNode::MeasurePost(const Design *design, float em, float left, float right)
{
    GroupNode *subscripts = GetSubscripts();
    GroupNode *superscripts = GetSuperscripts();
    const MathNode *base = FindPrevSpacingNeighbor(this);
    const MathNode *prime = AsPrime(base);
    if (prime != nullptr) base = FindPrevSpacingNeighbor(prime);

    float right0 = 0.0f;
    float right1 = 0.0f;
    if (subscripts != nullptr)
    {
        float correction = 0.0f;
        const SymbolRunNode *run = AsRun(base);
        if (!noSlant && run != nullptr)
        {
            float scale = ScriptParam(design, scriptDepth == 0 ? 'scl0' : 'scl1');
            float glyphTop = GetGeneralParam(design, 'cptl');
            const MathNode *first = subscripts->GetFirstMathSubnode();
            if (first != nullptr) first = first->GetNextMathNode();
            GlyphBounds box;
            if (const SymbolRunNode *firstRun = AsRun(first); firstRun != nullptr && firstRun->GetFirstGlyphBox(design, &box))
                glyphTop = box.yMax;
            correction = em * run->GetEndSlantCorrection(design, glyphTop * scale + ScriptParam(design, 'sbas'));
        }
        subscripts->position.x = (prime != nullptr ? -prime->width : 0.0f) + correction + left;
        right0 = subscripts->position.x + subscripts->width;
        width = right0 + right;
    }
    if (superscripts != nullptr)
    {
        superscripts->position.x = left;
        right1 = left + superscripts->width;
        width = std::max(width, right1 + right);
    }
    if (outer && subscripts != nullptr && superscripts != nullptr)
    {
        if (right0 < right1) subscripts->position.x += right1 - right0;
        else superscripts->position.x += right0 - right1;
    }
    PlaceVertically(design, em, AsBracket(base));
}

void ScriptNode::MeasurePre(const Design *design, float em, float left, float right)
{
    GroupNode *subscripts = GetSubscripts();
    GroupNode *superscripts = GetSuperscripts();
    float subscriptStart = 0.0f;
    float superscriptStart = 0.0f;
    if (subscripts != nullptr) subscriptStart = -(right + subscripts->width + left);
    if (superscripts != nullptr)
    {
        float correction = 0.0f;
        const SymbolRunNode *run = AsRun(FindNextSpacingNeighbor(this));
        if (!noSlant && run != nullptr)
        {
            float scale = ScriptParam(design, scriptDepth == 0 ? 'scl0' : 'scl1');
            float glyphBottom = 0.0f;
            GlyphBounds box;
            if (const SymbolRunNode *lastRun = AsRun(superscripts->GetLastMathSubnode());
                lastRun != nullptr && lastRun->GetLastGlyphBox(design, &box))
                glyphBottom = box.yMin;
            correction = em * run->GetStartSlantCorrection(design, glyphBottom * scale + ScriptParam(design, 'spas'));
        }
        superscriptStart = correction - right - superscripts->width - left;
    }
    width = std::max(-subscriptStart, -superscriptStart);
    if (outer && subscripts != nullptr && superscripts != nullptr)
        subscriptStart = superscriptStart = std::min(subscriptStart, superscriptStart);
    if (subscripts != nullptr) subscripts->position.x = width + subscriptStart + left;
    if (superscripts != nullptr) superscripts->position.x = width + superscriptStart + left;
    PlaceVertically(design, em, nullptr);
}

void ScriptNode::PlaceVertically(const Design *design, float em, const MathNode *bracket)
{
    GroupNode *subscripts = GetSubscripts();
    GroupNode *superscripts = GetSuperscripts();
    float capital = GetGeneralParam(design, 'cptl');
    float axis = GetGeneralParam(design, 'axis');
    float subscriptY = 0.0f;
    float superscriptY = 0.0f;
    if (subscripts != nullptr)
    {
        float ascent = em * ScriptParam(design, 'sbas');
        subscriptY = ascent - std::max(0.0f, ascent + subscripts->top - em * (capital - axis));
        if (bracket != nullptr) subscriptY = std::min(subscriptY, em * ScriptParam(design, 'sbbo') + bracket->bottom);
    }
    if (superscripts != nullptr)
    {
        float r = LastRowBaseline(superscripts);
        float ascent = em * ScriptParam(design, 'spas') - r;
        superscriptY = ascent + std::max(0.0f, em * axis - (ascent + superscripts->bottom));
        if (bracket != nullptr) superscriptY = std::max(superscriptY, em * ScriptParam(design, 'spbo') + bracket->top - r);
    }
    KeepScriptGap(design, &subscriptY, &superscriptY);
    if (subscripts != nullptr) subscripts->position.y = subscriptY;
    if (superscripts != nullptr) superscripts->position.y = superscriptY;
    WidenToScripts();
}

void ScriptNode::KeepScriptGap(const Design *design, float *subscriptY, float *superscriptY) const
{
    const GroupNode *subscripts = GetSubscripts();
    const GroupNode *superscripts = GetSuperscripts();
    if (subscripts == nullptr || superscripts == nullptr) return;
    // The least gap is a length in points, unlike the other script parameters.
    float least = ScriptParam(design, 'vtgp');
    float gap = (*superscriptY + superscripts->bottom) - (*subscriptY + subscripts->top);
    if (least <= gap) return;
    float half = (least - gap) * 0.5f;
    *subscriptY -= half;
    *superscriptY += half;
}

void ScriptNode::WidenToScripts()
{
    if (const GroupNode *subscripts = GetSubscripts()) bottom = std::min(bottom, subscripts->position.y + subscripts->bottom);
    if (const GroupNode *superscripts = GetSuperscripts()) top = std::max(top, superscripts->position.y + superscripts->top);
}

void ScriptNode::AdjustAfterSiblings(const Design *design)
{
    if (!pre) return;
    const MathNode *base = FindNextSpacingNeighbor(this);
    if (base == nullptr) return;
    GroupNode *subscripts = GetSubscripts();
    GroupNode *superscripts = GetSuperscripts();
    if (AsBracket(base) != nullptr)
    {
        float em = GetEm(design);
        float subscriptY = subscripts != nullptr ? subscripts->position.y : 0.0f;
        float superscriptY = superscripts != nullptr ? superscripts->position.y : 0.0f;
        if (subscripts != nullptr) subscriptY = std::min(subscriptY, em * ScriptParam(design, 'sbbo') + base->bottom);
        if (superscripts != nullptr)
        {
            superscriptY = std::max(superscriptY, em * ScriptParam(design, 'spbo') + base->top -
                                                      LastRowBaseline(superscripts));
        }
        KeepScriptGap(design, &subscriptY, &superscriptY);
        if (subscripts != nullptr) subscripts->position.y = subscriptY;
        if (superscripts != nullptr) superscripts->position.y = superscriptY;
    }
    // The scripts hug the base's ink.
    float shift = base->leftSpacing;
    leftSpacing += shift;
    rightSpacing -= shift;
    if (subscripts != nullptr) subscripts->position.x += shift;
    if (superscripts != nullptr) superscripts->position.x += shift;
    WidenToScripts();
}

GroupNode *ScriptNode::GetGroupAbove(const GroupNode *group) const
{
    return (group != nullptr && group == GetSubscripts()) ? GetSuperscripts() : nullptr;
}

GroupNode *ScriptNode::GetGroupBelow(const GroupNode *group) const
{
    return (group != nullptr && group == GetSuperscripts()) ? GetSubscripts() : nullptr;
}

uint32_t ScriptNode::GetOwnLatexScripts() const
{
    return (GetSubscripts() != nullptr ? kLatexSubscriptFlag : 0) |
           (GetSuperscripts() != nullptr ? kLatexSuperscriptFlag : 0);
}

bool ScriptNode::WritesEmptyLatexBase() const
{
    if (pre) return true;
    const MathNode *previous = FindPreviousLatexWriter(this);
    if (previous == nullptr) return false;
    if (AsScripts(previous) != nullptr) return true;
    uint32_t own = GetOwnLatexScripts();
    // A superscript right after primes joins theirs.
    if (AsLatexPrime(previous) != nullptr) own &= kLatexSubscriptFlag;
    return (own & GetTrailingLatexScripts(previous, own)) != 0;
}

uint32_t ScriptNode::GetLatexScripts(uint32_t wanted) const
{
    uint32_t own = GetOwnLatexScripts();
    if ((wanted & ~own) == 0 || WritesEmptyLatexBase()) return own;
    return own | GetTrailingLatexScripts(FindPreviousLatexWriter(this), wanted & ~own);
}

void ScriptNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    const GroupNode *subscripts = GetSubscripts();
    const GroupNode *superscripts = GetSuperscripts();
    bool emptyBase = WritesEmptyLatexBase();
    if (emptyBase)
    {
        output->AppendText("{}");
        state->controlWord = 0;
    }
    // After a prime the superscript goes first and joins the prime's; the subscript stays under it.
    bool superscriptFirst = !emptyBase && AsLatexPrime(FindPreviousLatexWriter(this)) != nullptr;
    auto writeSlot = [&](const GroupNode *group, const char *opening) {
        if (group == nullptr) return;
        output->AppendText(opening);
        state->controlWord = 0;
        WriteSlotGroupLatex(group, SlotStyle::kCleared, state, output);
        output->AppendText("}");
        state->controlWord = 0;
    };
    if (superscriptFirst) writeSlot(superscripts, "^{");
    writeSlot(subscripts, "_{");
    if (!superscriptFirst) writeSlot(superscripts, "^{");
}

void ScriptNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    const GroupNode *subscripts = GetSubscripts();
    const GroupNode *superscripts = GetSuperscripts();
    auto writeSlot = [&](const GroupNode *group) {
        if (group != nullptr) WriteSlotGroupMathML(group, SlotStyle::kCleared, state, output);
        else output->AppendText("<mrow/>");
    };
    if (pre)
    {
        output->AppendText("<mmultiscripts><mrow/><mprescripts/>");
        writeSlot(subscripts);
        writeSlot(superscripts);
        output->AppendText("</mmultiscripts>");
        return;
    }
    const char *element = nullptr;
    if (subscripts != nullptr && superscripts != nullptr) element = "msubsup";
    else if (subscripts != nullptr) element = "msub";
    else if (superscripts != nullptr) element = "msup";
    if (element == nullptr) return;
    output->AppendText("<");
    output->AppendText(element);
    output->AppendText("><mrow/>");
    if (subscripts != nullptr) writeSlot(subscripts);
    if (superscripts != nullptr) writeSlot(superscripts);
    output->AppendText("</");
    output->AppendText(element);
    output->AppendText(">");
}

}  // namespace oq
