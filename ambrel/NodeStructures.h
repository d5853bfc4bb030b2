#pragma once

#include "ambrel/AmbrelStructure.h"
#include "base/Transform4D.h"

namespace oq {

// Base of Group and Instance: a node whose transform applies to everything below it.
class NodeStructure : public AmbrelStructure
{
public:
    explicit NodeStructure(uint32_t type);

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;

    // Its transforms times the enclosing nodes' transforms, formed after resolving.
    Transform4D nodeTransform;
};

// Group: geometry, nested nodes and shared paint under one transform.
class GroupStructure : public NodeStructure
{
public:
    GroupStructure() : NodeStructure('grup') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
};

// Instance: a placed reference to a drawing named elsewhere; the reference is kept, not followed.
class InstanceStructure : public NodeStructure
{
public:
    InstanceStructure() : NodeStructure('inst') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
};

// Object: a drawing compiled as one icon.
class ObjectStructure : public AmbrelStructure
{
public:
    ObjectStructure() : AmbrelStructure('objc') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
};

// Layer: geometry and groups drawn together.
class LayerStructure : public AmbrelStructure
{
public:
    LayerStructure() : AmbrelStructure('layr') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
};

// Canvas: the drawing area, given by its Range; resolving sets the document's canvas view.
class CanvasStructure : public AmbrelStructure
{
public:
    CanvasStructure() : AmbrelStructure('canv') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
};

// Writes a reference in its text form: "$a%b", "%a" or "null".
void WriteStructureReference(TextOutputStream *stream, const StructureReference &reference);

}  // namespace oq
