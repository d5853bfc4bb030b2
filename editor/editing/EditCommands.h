#pragma once

#include <cstdint>

namespace oq {

class Editor;

// The editing command ids: the high byte names the family, the low byte the entry.
constexpr int32_t kEditCommandBit = 0x8000;

// The operations the editing command ids reach; the editor's own operations sit behind it, tests
// record the calls instead.
class EditOperations
{
public:
    virtual ~EditOperations() = default;

    virtual bool HandleMenuCommand(int32_t id) = 0;
    virtual bool TypeCharacter(uint32_t codePoint, uint32_t flags) = 0;
    virtual bool InsertSpace(float width) = 0;
    virtual bool InsertTabSpace(float width) = 0;
    virtual bool InsertAligner(uint32_t kind) = 0;
    virtual bool AddMark(uint32_t codePoint, bool below) = 0;
    virtual bool AddNegation(uint32_t kind) = 0;
    virtual bool AddSlash(uint32_t kind) = 0;
    virtual bool AddEnclosure(uint32_t kind) = 0;
    virtual bool AddPrime(uint32_t codePoint) = 0;
    virtual bool InsertWideMark(uint32_t type, bool under, bool withLabel) = 0;
    virtual bool RunStructureCommand(int32_t id) = 0;
};

// The editor's operations behind the interface.
class EditorOperations : public EditOperations
{
public:
    explicit EditorOperations(Editor &target) : editor(target) {}

    bool HandleMenuCommand(int32_t id) override;
    bool TypeCharacter(uint32_t codePoint, uint32_t flags) override;
    bool InsertSpace(float width) override;
    bool InsertTabSpace(float width) override;
    bool InsertAligner(uint32_t kind) override;
    bool AddMark(uint32_t codePoint, bool below) override;
    bool AddNegation(uint32_t kind) override;
    bool AddSlash(uint32_t kind) override;
    bool AddEnclosure(uint32_t kind) override;
    bool AddPrime(uint32_t codePoint) override;
    bool InsertWideMark(uint32_t type, bool under, bool withLabel) override;
    bool RunStructureCommand(int32_t id) override;

private:
    Editor &editor;
};

// Runs a command id: one without the editing bit is a menu command; an editing id goes by its
// family's table, and ids outside the tables do nothing (false). Whether the view must be redrawn.
[[nodiscard]] bool RouteEditCommand(EditOperations &operations, int32_t id);

}  // namespace oq
