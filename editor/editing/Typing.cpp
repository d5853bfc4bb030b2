// Typing characters: interpretation by mode, key and class, and the run they go into.
#include "editor/editing/Editor.h"

#include "base/TextUtils.h"
#include "editor/document/GlyphLayout.h"
#include "editor/document/GroupNode.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/editing/CaretRules.h"
#include "editor/editing/CharacterClasses.h"
#include "editor/structures/ScriptNode.h"
#include "vorl/text/MathStyleTable.h"
#include "vorl/text/TextMeasure.h"
#include "vorl/text/UnicodeTables.h"
#include "editor/document/CharacterStyleMapping.h"

namespace oq {

namespace {

// Where the digits 0-9 stand in the math-style table.
constexpr int32_t kFirstDigitIndex = 102;

bool IsScalarValue(uint32_t codePoint)
{
    return codePoint != 0 && codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF);
}

// The width in math units of a space character, or a negative value for one without a width.
float GetSpaceWidth(uint32_t codePoint)
{
    struct SpaceWidth
    {
        uint32_t codePoint;
        float width;
    };
    static constexpr SpaceWidth kWidths[] = {
        {0x2000, 9},  {0x2001, 18},  {0x2002, 9},  {0x2003, 18},  {0x2004, 6},     {0x2005, 4.5F}, {0x2006, 3},
        {0x2009, 3},  {0x200A, 1.5F}, {0x200B, 0}, {0x205F, 4},   {0xEE50, 36},    {0xEE51, 5},    {0xF380, -1},
        {0xF382, -3}, {0xF383, -4},  {0xF384, -5},
    };
    for (const SpaceWidth &entry : kWidths)
    {
        if (entry.codePoint == codePoint) return entry.width;
    }
    return -100.0F;
}

// The advance of the one-character text in math units (18 to the em), laid out upright at the
// design's base font size and scale 1; negative when the design's fonts are not loaded.
float MeasureCharacterWidth(const Design &design, const char *text)
{
    float size = design.GetBaseFontSize();
    GlyphLayoutRequest request = {'uprt', size, 1.0F, kSymbolRunOptionFlags, 0, 0};
    TextRun *run = LayoutGlyphText(&design, request, 0xFF000000, text, 1);
    if (run == nullptr || !(size > 0.0F)) return -100.0F;
    float width = MeasureRunWidth(run, nullptr, DocumentFontSet::kSlotCount, design.fonts.textFonts, 0, nullptr, nullptr);
    return width / size * 18.0F;
}

}  // namespace

uint32_t Editor::TypeSpaceCharacter(uint32_t codePoint)
{
    if (codePoint == 0x20) return codePoint;
    // The figure and punctuation spaces are as wide as "0" and "."; without fonts nothing is inserted.
    float width = codePoint == 0x2007   ? MeasureCharacterWidth(document.design, "0")
                  : codePoint == 0x2008 ? MeasureCharacterWidth(document.design, ".")
                                        : GetSpaceWidth(codePoint);
    if (width > -100.0F) typedCommandChanged = InsertSpace(width);
    return 0;
}

uint32_t Editor::InterpretTypedCharacter(uint32_t codePoint, uint32_t *role, uint32_t *style, bool *join,
                                         bool commands, bool convert)
{
    uint32_t mode = GetEditMode();
    uint32_t c = codePoint;
    *join = false;
    // Digits under the key, in every mode.
    auto styleDigit = [&](uint32_t digit) {
        switch (styleKey)
        {
        case 'bitl':
        case 'bold':
        case 'ital':
        case 'mono':
            *style = styleKey;
            return digit;
        case 'doub':
        case 'sans':
        case 'dbsn':
            *style = styleKey;
            return kMathStyleForms[GetMathAlphanumericColumn(styleKey)][kFirstDigitIndex + int32_t(digit - '0')];
        case 'grek':
        {
            uint32_t shortcut = settings.preferences.shortcuts[digit - '0'];
            return shortcut != 0 ? shortcut : digit;
        }
        default:
            *style = 'uprt';
            return digit;
        }
    };
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    bool digit = c >= '0' && c <= '9';
    if (mode == kEditModeText)
    {
        *role = 'text';
        *style = 'uprt';
        if (letter) return c <= 'Z' ? MapUppercaseLetter(c, style) : MapLowercaseLetter(c, style);
        if (digit) return styleDigit(c);
        if (styleKey == 'grek') return MapGreekKeyPunctuation(c);
        uint8_t cls = GetCharacterClass(c);
        *join = cls == 'Y' || cls == 'Z';
        return c;
    }
    *role = 'math';
    *style = mode == kEditModeChem ? 'uprt' : 'ital';
    if (digit)
    {
        *role = 'nmbr';
        *style = 'uprt';
        return styleDigit(c);
    }
    if (letter)
    {
        c = c <= 'Z' ? MapUppercaseLetter(c, style) : MapLowercaseLetter(c, style);
        if (mode == kEditModeChem && *style == 'uprt') *role = 'chem';
        return c;
    }
    if (c == 0x0131 || c == 0x0237)
    {
        if (styleKey != 0) *style = styleKey;
        return c;
    }
    if (styleKey == 'grek') c = MapGreekKeyPunctuation(c);
    uint8_t cls = GetCharacterClass(c);
    switch (cls)
    {
    case ' ':
        *style = 'uprt';
        return commands ? TypeSpaceCharacter(c) : c;
    case '-':
        *role = 'bond';
        *style = 'sym1';
        return c;
    case '.':
        *role = 'pnct';
        *style = 'uprt';
        return c;
    case 'A':
        *role = 'arrw';
        *style = 'sym1';
        return c;
    case 'E':
        *role = 'elps';
        *style = 'uprt';
        return c;
    case 'G':
        *style = 'grek';
        return c;
    case 'H':
        *style = 'itgk';
        return c;
    case 'N':
        *role = 'nmbr';
        *style = 'uprt';
        return c;
    case 'O':
        *role = 'oper';
        *style = 'sym1';
        return c == '-' ? 0x2212 : c == '~' ? 0x223C : c;
    case 'R':
        *role = 'rltn';
        *style = 'sym1';
        return c;
    case 'U':
        *role = 'unry';
        *style = 'sym1';
        return c;
    case '\\':
        *role = 'unry';
        *style = 'uprt';
        return c;
    case '|':
        *style = 'sym1';
        if (c == 0x7C)
        {
            *role = 'rltn';
            return 0x2223;
        }
        return c;
    case 'C':
    case 'K':
    case 'P':
    case 'Y':
    case 'Z':
        if (commands)
        {
            typedCommandChanged = RunDecorationCharacter(cls, c);
            return 0;
        }
        *style = 'uprt';
        return c;
    case '/':
    case 'D':
    case 'I':
    case 'Q':
    case 'S':
    case 'T':
    case 'W':
        if (commands)
        {
            typedCommandChanged = InsertStructureCommand(cls, c, convert);
            return 0;
        }
        *style = cls == 'I' ? 'gral' : cls == 'T' ? 'nary' : 'uprt';
        return c;
    default:
        *style = 'uprt';
        return GetMathLetterStyle(c, role, style);
    }
}

bool Editor::TypeCharacter(uint32_t codePoint, uint32_t flags)
{
    EquationDocument &doc = document;
    Selection &selection = doc.selection;
    if (doc.objectSelection.GetElementCount() != 0 && (flags & kTypePalette) == 0)
    {
        pendingRole = 0;
        return false;
    }
    if (codePoint < kUnicodePropertyLimit && (GetUnicodeProperties(codePoint) & kUnicodeControl) != 0)
    {
        pendingRole = 0;
        SetStyleKey(0);
        if ((flags & kTypePasted) == 0) return false;
        if (codePoint == 0x0A) return InsertRowBreak();
        if (codePoint == 0x09) return InsertTabSpace(0.0F);
        return false;
    }
    uint32_t role = 0;
    uint32_t style = 0;
    bool join = false;
    typedCommandChanged = false;
    uint32_t c = InterpretTypedCharacter(codePoint, &role, &style, &join, true, (flags & kTypeLiteral) == 0);
    // A code point that is not a Unicode scalar value has no UTF-8 form: nothing is typed. 0 is
    // a command that ran.
    if (!IsScalarValue(c) || selection.start.node == nullptr)
    {
        pendingRole = 0;
        SetStyleKey(0);
        return c == 0 && typedCommandChanged;
    }
    if (pendingRole != 0)
    {
        role = pendingRole;
        pendingRole = 0;
    }
    char bytes[4];
    int32_t byteCount = EncodeUtf8(bytes, c);

    bool replacing = !IsCollapsed(selection);
    bool automatic = !replacing && (flags & kTypeLiteral) == 0;

    uint32_t mode = GetEditMode();
    bool startSubscript = false;
    bool leaveSubscript = false;
    if (SymbolRunNode *run = AsRun(selection.end.node);
        run != nullptr && automatic && settings.preferences.options[kOptionAutoSubscripts] && mode == kEditModeChem)
    {
        startSubscript = role == 'nmbr' && run->role == 'chem';
        // The run may stand in a phantom: only a group is looked at as a subscript.
        MathNode *parent = run->GetSuperMathNode();
        auto *group = parent != nullptr && parent->GetKind() == kGroupKind ? static_cast<GroupNode *>(parent) : nullptr;
        MathNode *owner = group != nullptr ? group->GetSuperMathNode() : nullptr;
        leaveSubscript = role != 'nmbr' && run->role == 'nmbr' && selection.end.index == run->text.GetLength() &&
                         group != nullptr && group->role == kSubscriptRole && owner != nullptr &&
                         owner->GetKind() == kScriptKind;
    }

    bool opened = false;
    bool merge = true;
    MathNode *caret = selection.start.node;
    for (;;)
    {
        SymbolRunNode *run = AsRun(selection.start.node);
        if (run == nullptr)
        {
            if (mode != kEditModeText && c == 0x20) return false;
            BeginEditBatch();
            opened = true;
            if (replacing)
            {
                (void)SplitRunsAtSelection();
                (void)DeleteSelectionRange();
            }
            else
            {
                doc.objectSelection.SetElementCount(0);
            }
            caret = selection.start.node;
            break;
        }
        if (mode != kEditModeText && c == 0x20)
        {
            return automatic && RunBackslashCommand(run, selection.start.index);
        }
        if (mode != kEditModeText && c == '\\' && automatic)
        {
            (void)RunBackslashCommand(run, selection.start.index);
            automatic = false;
            continue;
        }
        if (replacing)
        {
            BeginEditBatch();
            opened = true;
            (void)SplitRunsAtSelection();
            (void)DeleteSelectionRange();
        }
        run = AsRun(selection.start.node);
        caret = selection.start.node;
        if (run == nullptr) break;
        int32_t index = selection.start.index;
        bool continues = join;
        if (!continues)
        {
            bool textRole = role == 'math' || role == 'chem' || role == 'text' || role == 'nmbr';
            const EditorColor &color = settings.state.toolPanel.equationColor;
            bool sameColor = run->paletteIndex >= 0 ? color.paletteIndex == run->paletteIndex
                                                    : color.color == run->colorValue;
            continues = run->GetFirstSubnode() == nullptr && textRole && role == run->role && style == run->style &&
                        sameColor && !startSubscript && !leaveSubscript;
        }
        if (!continues && (flags & kTypeLiteral) == 0 && run->role == 'func' &&
            ContinuesFunctionName(run, index, c))
            continues = true;
        if (continues)
        {
            if (!replacing)
            {
                BeginEditBatch(EditBatchVariant::kTyping);
                doc.objectSelection.SetElementCount(0);
            }
            run->text.Insert(index, bytes, byteCount);
            selection.start = {run, index + byteCount};
            selection.end = selection.start;
            MergeAdjacentRuns(nullptr, false);
            EndEditBatch();
            typingPosition = selection.end;
            if (mode == kEditModeMath && (flags & kTypeLiteral) == 0)
                (void)RecognizeFunctionName(AsRun(selection.end.node), selection.end.index);
            return true;
        }
        if (!replacing)
        {
            BeginEditBatch();
            opened = true;
            doc.objectSelection.SetElementCount(0);
        }
        if (index == 0 && run->GetPreviousMathNode() != nullptr)
        {
            // At the run's start the new run goes before it: a cut there would leave an empty run.
            caret = run->GetPreviousMathNode();
        }
        else if (index < run->text.GetLength())
        {
            run->SplitAt(index);
            merge = false;
        }
        if (startSubscript)
        {
            auto *scripts = new ScriptNode(false);
            static_cast<TreeNode *>(run->GetSuperNode())->InsertSubnodeAfter(scripts, run);
            caret = scripts->GetOrCreateSubscripts()->GetFirstMathSubnode();
        }
        else if (leaveSubscript)
        {
            caret = run->GetSuperMathNode()->GetSuperMathNode();
        }
        break;
    }
    (void)opened;

    // A new run after the caret node.
    auto *newRun = new SymbolRunNode(role, style != 0 ? style : GetDefaultRunStyle(role));
    newRun->paletteIndex = settings.state.toolPanel.equationColor.paletteIndex;
    newRun->colorValue = settings.state.toolPanel.equationColor.color;
    const bool *options = settings.preferences.options;
    newRun->strictFixedWidth = options[kOptionStrictFixedWidth];
    newRun->proportionalFigures = options[kOptionProportionalWidth];
    newRun->noDotless = !options[kOptionDotlessBase];
    newRun->noSlantCorrection = !options[kOptionAccentItalicShift];
    newRun->noBoldMarks = !options[kOptionBoldAccents];
    newRun->text.SetTextMax(bytes, byteCount);
    static_cast<TreeNode *>(caret->GetSuperNode())->InsertSubnodeAfter(newRun, caret);
    selection.start = {newRun, byteCount};
    selection.end = selection.start;
    movingEnd = 0;
    if (merge) MergeAdjacentRuns(nullptr, false);
    EndEditBatch();
    typingPosition = selection.end;
    return true;
}

void Editor::MergeAdjacentRuns(GroupNode *group, bool recursive)
{
    Selection &selection = document.selection;
    MathNode *parent = group;
    if (parent == nullptr)
    {
        if (selection.start.node == nullptr) return;
        parent = selection.start.node->GetSuperMathNode();
        if (parent == nullptr) return;
    }
    MathNode *p = parent->GetFirstMathSubnode();
    if (p == nullptr) return;
    auto mergeInside = [&](MathNode *node) {
        for (MathNode *sub = node->GetFirstMathSubnode(); sub != nullptr; sub = sub->GetNextMathNode())
        {
            if (sub->GetKind() == kGroupKind) MergeAdjacentRuns(static_cast<GroupNode *>(sub), true);
        }
    };
    if (recursive && AsRun(p) == nullptr) mergeInside(p);
    MathNode *q = p->GetNextMathNode();
    while (q != nullptr)
    {
        MathNode *next = q->GetNextMathNode();
        SymbolRunNode *first = AsRun(p);
        SymbolRunNode *second = AsRun(q);
        if (first != nullptr && second != nullptr && !second->HasIncomingLinks() &&
            second->GetFirstSubnode() == nullptr &&
            first->HasSameFormat(second->role, second->style, second->paletteIndex, second->colorValue,
                                 second->GetFlagBits()))
        {
            int32_t offset = first->text.GetLength();
            first->text.AppendTextMax(second->text.GetText(), second->text.GetLength());
            for (CaretPosition *position : {&selection.start, &selection.end, &typingPosition})
            {
                if (position->node == second) *position = {first, position->index + offset};
            }
            delete second;
        }
        else
        {
            if (recursive && second == nullptr) mergeInside(q);
            p = q;
        }
        q = next;
    }
}

}  // namespace oq
