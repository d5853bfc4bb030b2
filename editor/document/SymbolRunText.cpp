// The LaTeX and MathML of symbol runs and their decorations.
#include "editor/document/SymbolRunNode.h"

#include "base/TextUtils.h"
#include "editor/document/CharacterStyleMapping.h"
#include "editor/document/CodePointText.h"
#include "editor/document/DecorationNode.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MarkNode.h"
#include "editor/document/RunCommandTables.h"

namespace oq {

namespace {

// The LaTeX opening of a style of the math roles, the braces it opens, and whether the
// characters go back to plain letters inside it.
struct LatexStyleOpening
{
    uint32_t style;
    const char *text;
    int32_t braces;
    bool plainLetters;
};

constexpr LatexStyleOpening kLatexStyleOpenings[] = {
    {'uprt', "\\mathrm{", 1, false},       {'ital', "\\mathit{", 1, false},     {'bold', "\\mathbf{", 1, false},
    {'mono', "\\mathtt{", 1, false},       {'bitl', "\\boldsymbol{", 1, false}, {'bdgk', "\\boldsymbol{", 1, false},
    {'bigk', "\\boldsymbol{", 1, false},   {'frkt', "\\mathfrak{", 1, true},    {'bdfk', "\\mathfrak{", 1, true},
    {'scpt', "\\mathcal{", 1, true},       {'bdsc', "\\mathcal{", 1, true},     {'doub', "\\mathbb{", 1, true},
    {'sans', "\\mathsf{", 1, true},        {'itsn', "\\mathsfit{", 1, true},
    {'dbsn', "\\boldsymbol{\\mathsf{", 2, true}, {'bisn', "\\boldsymbol{\\mathsf{", 2, true},
};

// The mathvariant of the styles that always write one.
struct MathVariant
{
    uint32_t style;
    const char *attribute;
};

constexpr MathVariant kMathVariants[] = {
    {'bold', " mathvariant=\"bold\""},
    {'bdgk', " mathvariant=\"bold\""},
    {'bitl', " mathvariant=\"bold-italic\""},
    {'bigk', " mathvariant=\"bold-italic\""},
    {'mono', " mathvariant=\"monospace\""},
    {'scpt', " mathvariant=\"script\""},
    {'bdsc', " mathvariant=\"bold-script\""},
    {'frkt', " mathvariant=\"fraktur\""},
    {'bdfk', " mathvariant=\"bold-fraktur\""},
    {'doub', " mathvariant=\"double-struck\""},
    {'sans', " mathvariant=\"sans-serif\""},
    {'itsn', " mathvariant=\"sans-serif-italic\""},
    {'dbsn', " mathvariant=\"bold-sans-serif\""},
    {'bisn', " mathvariant=\"sans-serif-bold-italic\""},
};

// The number of characters of a valid UTF-8 text.
int32_t CountCharacters(const TextString &text)
{
    int32_t count = 0;
    for (int32_t i = 0; i < text.GetLength(); ++i)
    {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++count;
    }
    return count;
}

// Text escaped for XML character data: invalid UTF-8, surrogates, U+FFFE, U+FFFF and the control
// bytes XML forbids never reach the output.
void AppendEscapedXml(const char *text, int32_t length, TextString *output)
{
    TextString escaped(text, length);
    escaped.EscapeXml();
    output->AppendString(escaped);
}

}  // namespace

void SymbolRunNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    // 1. The opening by role, or by style for the math roles.
    int32_t braces = 0;
    bool plainLetters = false;
    switch (role)
    {
    case 'text':
        output->AppendText("\\text{");
        braces = 1;
        break;
    case 'chem':
        output->AppendText("\\mathrm{");
        braces = 1;
        break;
    case 'unit':
        output->AppendText("\\,\\mathrm{");
        braces = 1;
        break;
    case 'func':
        if (IsStandardFunctionName(text, text.GetLength()))
        {
            output->AppendChar('\\');
            output->AppendString(text);
            state->controlWord = 1;
            return;
        }
        output->AppendText("\\,\\operatorname{");
        braces = 1;
        break;
    default:
        if (style == GetDefaultRunStyle(role)) break;
        for (const LatexStyleOpening &opening : kLatexStyleOpenings)
        {
            if (opening.style != style) continue;
            output->AppendText(opening.text);
            braces = opening.braces;
            plainLetters = opening.plainLetters;
            break;
        }
        break;
    }
    if (braces > 0) state->controlWord = 0;

    // 2. The decorations in order; only the first negation or slash writes \not.
    bool negated = false;
    for (const MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        uint32_t kind = node->GetKind();
        const char *opening = nullptr;
        TextString command;
        if (kind == kEnclosureKind)
        {
            const auto *decoration = dynamic_cast<const DecorationNode *>(node);
            opening = decoration != nullptr && decoration->IsCircleEnclosure() ? "\\enclose{circle}{" : "\\enclose{box}{";
        }
        else if (kind == kMarkKind)
        {
            const auto *mark = dynamic_cast<const MarkNode *>(node);
            const char *name = mark != nullptr ? FindMarkCommand(mark->codePoint) : nullptr;
            if (name != nullptr)
            {
                command = TextString("\\", name);
                command.AppendChar('{');
                opening = command;
            }
        }
        else if ((kind == kNegationKind || kind == kSlashKind) && !negated)
        {
            negated = true;
            opening = "\\not{";
        }
        if (opening == nullptr) continue;
        output->AppendText(opening);
        ++braces;
        state->controlWord = 0;
    }

    // 3. The characters.
    const char *bytes = text;
    int32_t length = text.GetLength();
    for (int32_t i = 0; i < length;)
    {
        uint32_t codePoint = 0;
        int32_t size = DecodeUtf8(bytes + i, &codePoint);
        if (size <= 0) break;
        i += size;
        codePoint = ToScalarValue(codePoint);
        if (plainLetters) codePoint = MapCodePointToStyle(this, codePoint, 'uprt');
        AppendLatexCodePoint(state, codePoint, output);
    }

    // 4. The braces; a run that opened none ends as its last character did.
    if (braces == 0) return;
    for (int32_t i = 0; i < braces; ++i) output->AppendChar('}');
    state->controlWord = 0;
}

void SymbolRunNode::WriteMathML(MathWriterState *, TextString *output) const
{
    bool identifier = role != 'nmbr' && role != 'oper' && role != 'rltn' && role != 'text';
    // The space of a function name or unit goes before the mark wrappers, which take two children.
    if (identifier && (role == 'func' || role == 'unit')) output->AppendText("<mspace width=\"0.166667em\"/>");

    // 1. The mark wrappers, the last mark outermost.
    for (const MathNode *node = GetLastMathSubnode(); node != nullptr; node = node->GetPreviousMathNode())
    {
        if (node->GetKind() != kMarkKind) continue;
        const auto *decoration = dynamic_cast<const RunDecoration *>(node);
        output->AppendText(decoration != nullptr && decoration->IsUnderMark() ? "<munder accentunder=\"true\">"
                                                                               : "<mover accent=\"true\">");
    }

    // 2. The other decorations as one enclosure with their notations, the last first.
    bool enclosed = false;
    for (const MathNode *node = GetLastMathSubnode(); node != nullptr; node = node->GetPreviousMathNode())
    {
        uint32_t kind = node->GetKind();
        const auto *decoration = dynamic_cast<const DecorationNode *>(node);
        if (kind == kMarkKind || decoration == nullptr) continue;
        if (!enclosed) output->AppendText("<menclose notation=\"");
        enclosed = true;
        uint32_t type = decoration->type;
        if (kind == kNegationKind)
            output->AppendText(type == 'frwd' ? " updiagonalstrike" : type == 'bkwd' ? " downdiagonalstrike" : " verticalstrike");
        else if (kind == kSlashKind)
            output->AppendText(type == 'frwd' ? " updiagonalstrike" : " downdiagonalstrike");
        else
            output->AppendText(type == 'squa' ? " box" : type == 'rdsq' ? " roundedbox" : " circle");
    }
    if (enclosed) output->AppendText("\">");

    // 3. The element with its mathvariant.
    const char *element = role == 'nmbr' ? "mn" : (role == 'oper' || role == 'rltn') ? "mo" : role == 'text' ? "mtext" : "mi";
    bool naturalItalic = identifier && CountCharacters(text) == 1;
    const char *variant = nullptr;
    for (const MathVariant &entry : kMathVariants)
    {
        if (entry.style == style) variant = entry.attribute;
    }
    if (variant == nullptr)
    {
        if (style == 'ital' || style == 'itgk')
            variant = naturalItalic ? "" : " mathvariant=\"italic\"";
        else
            variant = naturalItalic ? " mathvariant=\"normal\"" : "";
    }
    output->AppendChar('<');
    output->AppendText(element);
    output->AppendText(variant);
    output->AppendChar('>');
    AppendEscapedXml(text, text.GetLength(), output);
    output->AppendText("</");
    output->AppendText(element);
    output->AppendChar('>');

    // 4. The end of the enclosure.
    if (enclosed) output->AppendText("</menclose>");

    // 5. Each mark and the end of its wrapper, the first mark innermost.
    for (const MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        if (node->GetKind() != kMarkKind) continue;
        const auto *mark = dynamic_cast<const MarkNode *>(node);
        const auto *decoration = dynamic_cast<const RunDecoration *>(node);
        char encoded[4];
        int32_t size = EncodeUtf8(encoded, ToScalarValue(mark != nullptr ? mark->codePoint : 0xFFFD));
        output->AppendText("<mo>");
        AppendEscapedXml(encoded, size, output);
        output->AppendText(decoration != nullptr && decoration->IsUnderMark() ? "</mo></munder>" : "</mo></mover>");
    }
}

}  // namespace oq
